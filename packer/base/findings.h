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
    std::string code;     // stable short name for scripts: "target-device-name"
    std::string message;  // UTF-8

    bool operator==(const Finding&) const = default;
};

// A refusal of the tool itself, not tied to a file of the package:
// "setup-pack: error: message".
Finding ToolRefusal(const char* code, std::string message);

// The tool's exit codes.
enum ExitCode : int {
    kExitClean = 0,
    kExitWarnings = 1,
    kExitErrors = 2,    // the package has errors, or was refused
    kExitUsage = 64,    // the command line is wrong
    kExitIo = 74,       // the tool could not read or write its own files
};

// "Setup.ini:3: error: message", or "setup.exe: error: message" without a line.
std::string Format(const Finding& finding);

// One JSON object: {"findings": [{"file", "line", "severity", "code",
// "message"}, ...], "errors": N, "warnings": N}, and `more` members after
// these when given ("\"written\": [...]").
std::string FormatJson(const std::vector<Finding>& findings, const std::string& more = "");

// A JSON string of UTF-8 text, quoted and escaped.
std::string JsonString(const std::string& text);

// Errors and, with `strict`, warnings too give kExitErrors; warnings alone kExitWarnings.
int ExitCodeOf(const std::vector<Finding>& findings, bool strict = false);

bool HasErrors(const std::vector<Finding>& findings, bool strict = false);

}  // namespace packer
