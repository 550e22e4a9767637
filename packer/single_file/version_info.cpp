#include "packer/single_file/version_info.h"

#include "packer/base/byte_writer.h"
#include "packer/single_file/resource_format.h"

namespace packer::single_file {

namespace {

// One block: its header, key and value, then its children, each on a 32-bit
// boundary. wLength counts the block up to the end of its last child.
std::optional<std::string> Block(std::u16string_view key, uint16_t type, std::string_view value,
                                 uint16_t valueLength, const std::vector<std::string>& children) {
    ByteWriter out;
    out.u16(0);  // wLength, below
    out.u16(valueLength);
    out.u16(type);
    out.text16(key);
    out.u16(0);
    out.align(res::kBlockAlignment);
    out.bytes(value);
    for (const std::string& child : children) {
        out.align(res::kBlockAlignment);
        out.bytes(child);
    }
    if (out.size() > res::kMaxBlockLength) return std::nullopt;
    out.patch16(0, static_cast<uint16_t>(out.size()));
    return out.take();
}

std::optional<std::string> TextBlock(const VersionText& text) {
    ByteWriter value;
    value.text16(text.second);
    value.u16(0);
    // A text's wValueLength counts its UTF-16 units, the terminating zero included.
    if (text.second.size() + 1 > res::kMaxBlockLength) return std::nullopt;
    return Block(text.first, res::kBlockText, value.str(), static_cast<uint16_t>(text.second.size() + 1), {});
}

std::string FixedFileInfo(const std::optional<VersionNumber>& version) {
    const std::array<uint16_t, 4> parts = version ? version->parts : std::array<uint16_t, 4>{};
    const uint32_t high = uint32_t{parts[0]} << 16 | parts[1];
    const uint32_t low = uint32_t{parts[2]} << 16 | parts[3];
    ByteWriter out;
    out.u32(res::kFixedFileInfoSignature);
    out.u32(res::kFixedFileInfoStrucVersion);
    out.u32(high);  // dwFileVersionMS
    out.u32(low);   // dwFileVersionLS
    out.u32(high);  // dwProductVersionMS
    out.u32(low);   // dwProductVersionLS
    out.u32(res::kFileFlagsMask);
    out.u32(0);  // dwFileFlags: a release, not a debug or pre-release build
    out.u32(res::kFileOsWindows32);
    out.u32(res::kFileTypeApp);
    out.u32(0);  // dwFileSubtype
    out.u32(0);  // dwFileDateMS: no date, so that the same inputs give the same bytes
    out.u32(0);  // dwFileDateLS
    return out.take();
}

}  // namespace

std::optional<VersionNumber> ParseVersion(std::wstring_view text) {
    VersionNumber version{{}, std::wstring(text)};
    size_t part = 0;
    size_t digits = 0;
    uint32_t value = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == L'.') {
            if (digits == 0 || part == version.parts.size()) return std::nullopt;
            version.parts[part++] = static_cast<uint16_t>(value);
            digits = 0;
            value = 0;
            continue;
        }
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        value = value * 10 + static_cast<uint32_t>(text[i] - L'0');
        if (++digits > 5 || value > 0xFFFF) return std::nullopt;
    }
    if (part < 3) return std::nullopt;
    return version;
}

std::optional<std::string> VersionResource(const std::optional<VersionNumber>& version,
                                           const std::vector<VersionText>& texts) {
    std::vector<std::string> strings;
    for (const VersionText& text : texts) {
        std::optional<std::string> block = TextBlock(text);
        if (!block) return std::nullopt;
        strings.push_back(std::move(*block));
    }
    const std::optional<std::string> table = Block(res::kStringTableKey, res::kBlockText, {}, 0, strings);
    if (!table) return std::nullopt;
    const std::optional<std::string> stringFileInfo = Block(u"StringFileInfo", res::kBlockText, {}, 0, {*table});
    ByteWriter translation;
    translation.u16(res::kLanguageUsEnglish);
    translation.u16(res::kCodePageUnicode);
    const std::optional<std::string> var =
        Block(u"Translation", res::kBlockBinary, translation.str(), static_cast<uint16_t>(translation.size()), {});
    const std::optional<std::string> varFileInfo = Block(u"VarFileInfo", res::kBlockText, {}, 0, {*var});
    if (!stringFileInfo || !varFileInfo) return std::nullopt;
    const std::string fixed = FixedFileInfo(version);
    return Block(u"VS_VERSION_INFO", res::kBlockBinary, fixed, static_cast<uint16_t>(fixed.size()),
                 {*stringFileInfo, *varFileInfo});
}

}  // namespace packer::single_file
