// What Windows allows in the name of a file or folder, for the values of
// Setup.ini that become names (TARGET, the shortcut names, EXEFILE) and for
// the archive's entries, which setup.exe installs under their own names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace packer {

enum class NameTrouble {
    DotSegment,          // "." or "..": the folder itself or its parent
    DeviceName,          // CON, NUL, COM1, ... also with an extension
    Colon,               // a drive or an alternate data stream
    ReservedCharacter,   // < > " | ? * (and, in a single name, \ /)
    ControlCharacter,    // U+0001 - U+001F
    TrailingDotOrSpace,  // dropped by Windows: the name changes
};

struct NameProblem {
    NameTrouble trouble;
    wchar_t character = 0;  // the character, for the character troubles
};

// The first trouble of one component of a path (no separators in it).
std::optional<NameProblem> ProblemOfName(std::wstring_view name);

// A path's components, cut at "\" and "/"; empty ones are dropped.
std::vector<std::wstring_view> PathComponents(std::wstring_view path);

// Short name of a trouble for findings' codes: "device-name" and so on.
const char* CodeOf(NameTrouble trouble);
// Why Windows will not take `name`, as the end of a sentence.
std::string Explain(const NameProblem& problem, std::wstring_view name);

}  // namespace packer
