// What the check reports: one finding per problem, tied to a file of the
// package and, for Setup.ini, to the line a text editor shows it on.
#pragma once

#include <string>
#include <vector>

namespace packer {

// Error: the installation would fail or stop, or a setting written in the
// file would not take effect. Warning: the installer runs with the settings,
// but something differs from what the file or the folder suggests.
enum class Severity { Warning, Error };

struct Finding {
    std::string file;  // "Setup.ini", "setup.exe", ...
    int line = 0;      // 1-based; 0 when the finding is about the whole file
    Severity severity = Severity::Error;
    std::string message;  // UTF-8

    bool operator==(const Finding&) const = default;
};

// "Setup.ini:3: error: message", or "setup.exe: error: message" without a line.
std::string Format(const Finding& finding);

// The tool's exit code for a set of findings: 0 clean, 1 warnings, 2 errors.
int ExitCodeOf(const std::vector<Finding>& findings);

}  // namespace packer
