// Setup.ini's bytes cut into lines the way the installer reads them (a line
// ends at CR or CR LF; a lone LF stays inside the line), each with the line
// numbers a text editor shows, which also counts a lone LF as a line end.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "installer/setup_keys.h"

namespace packer {

struct SetupLine {
    std::string bytes;    // without its line end
    int firstLine = 0;    // editor line on which it starts (1-based)
    int lastLine = 0;     // editor line on which it ends
    int loneLineFeeds = 0;

    // Key and value as the installer cuts them (installer/setup_keys.h).
    bool HasEquals() const { return Parts().has_value(); }
    std::string_view Key() const;    // the whole line when it holds no "="
    std::string_view Value() const;  // empty when the line holds no "="
    bool HasSecondEquals() const;

private:
    std::optional<installer::SetupLineParts<char>> Parts() const {
        return installer::CutSetupLine(std::string_view(bytes));
    }
};

std::vector<SetupLine> SplitSetupLines(std::string_view bytes);

}  // namespace packer
