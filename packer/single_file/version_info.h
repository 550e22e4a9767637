// The version resource (VS_VERSION_INFO) that Explorer's Properties, the
// download prompt and GetFileVersionInfo / VerQueryValue read: the numbers
// and the texts of one US English, Unicode string table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace packer::single_file {

struct VersionNumber {
    std::array<uint16_t, 4> parts{};  // major, minor, build, revision
    std::wstring text;                 // as it was given
};

// "A.B.C" or "A.B.C.D", each a whole number from 0 to 65535 in decimal
// digits; nothing for any other text.
std::optional<VersionNumber> ParseVersion(std::wstring_view text);

// A text of the string table: its key ("CompanyName") and value.
using VersionText = std::pair<std::u16string, std::u16string>;

// The resource: the file and product version numbers (zero without a
// version), and the texts in the order given. Nothing when it would be
// longer than its 16-bit length can say.
std::optional<std::string> VersionResource(const std::optional<VersionNumber>& version,
                                           const std::vector<VersionText>& texts);

}  // namespace packer::single_file
