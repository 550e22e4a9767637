// Turns an entry's name into a relative path below the destination, or
// refuses it. A refused name is never written anywhere: absolute paths, drive
// letters, UNC paths, ".." segments (with either slash), and on Windows
// reserved device names and stream names all lead to a refusal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace uz {

struct PathRules {
    bool windows = false;            // Windows naming rules
    bool spaceToUnderscore = false;  // blanks become underscores
    bool flatten = false;            // keep only the last component
};

struct SafePath {
    std::vector<std::string> components;  // UTF-8, none empty, "." or ".."
    std::string refusal;                  // why the name was refused; empty when it was not
    bool refused() const { return !refusal.empty(); }
};

SafePath SanitizePath(std::string_view utf8Name, const PathRules& rules);

// Whether a symbolic link stored at `linkComponents` with the target `target`
// stays inside the destination: relative, and its leading ".." segments do
// not climb above the destination.
bool LinkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target);

bool IsWindowsDeviceName(std::string_view component);

}  // namespace uz
