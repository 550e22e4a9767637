// Whether EXEFILE names a program, judged by its extension as the desktop's
// shell judges a file it is asked to start (setup.exe hands it the program):
// .exe and .com run, .bat and .cmd run through the command processor; a
// library (.dll) cannot be started at all, and any other file is opened with
// the program registered for its kind, if there is one. Only the name is
// looked at: the check reads an archive's directory, never its data.
#pragma once

#include <optional>
#include <string>

namespace packer {

struct ExeKindWarning {
    const char* code;     // "exefile-library", "exefile-not-a-program"
    std::string message;  // UTF-8, about EXEFILE's value
};

std::optional<ExeKindWarning> ExeFileKindWarning(const std::wstring& exe);

}  // namespace packer
