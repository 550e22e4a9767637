// Setup.ini's bytes cut into lines the way the installer reads them (a line
// ends at CR or CR LF; a lone LF stays inside the line), each with the line
// numbers a text editor shows, which also counts a lone LF as a line end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace packer {

struct SetupLine {
    std::string bytes;    // without its line end
    int firstLine = 0;    // editor line on which it starts (1-based)
    int lastLine = 0;     // editor line on which it ends
    int loneLineFeeds = 0;

    // Key and value as the installer takes them: the text before the first
    // "=", and the text between the first and the second "=".
    bool HasEquals() const { return bytes.find('=') != std::string::npos; }
    std::string_view Key() const;
    std::string_view Value() const;
    bool HasSecondEquals() const;
};

std::vector<SetupLine> SplitSetupLines(std::string_view bytes);

}  // namespace packer
