#include "packer/check/exe_kind.h"

#include "packer/base/text.h"

namespace packer {

std::optional<ExeKindWarning> ExeFileKindWarning(const std::wstring& exe) {
    const size_t dot = exe.find_last_of(L".\\/");
    const std::wstring extension = dot == std::wstring::npos || exe[dot] != L'.' ? L"" : FoldCase(exe.substr(dot));
    for (const wchar_t* program : {L".exe", L".com", L".bat", L".cmd"}) {
        if (extension == FoldCase(program)) return std::nullopt;
    }
    if (extension == FoldCase(L".dll")) {
        return ExeKindWarning{"exefile-library", "EXEFILE " + Quoted(exe) + " is a library (.dll), not a program: "
                                                 "Windows cannot start it, so the installed program never starts"};
    }
    return ExeKindWarning{"exefile-not-a-program",
                          "EXEFILE " + Quoted(exe) + " is not a program (.exe, .com, .bat or .cmd): Windows opens "
                          "it with the program registered for its kind, if there is one"};
}

}  // namespace packer
