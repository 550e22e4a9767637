#include "platform/start_route.h"

#include "common/failure.h"

namespace platform {

void StartAsPerson(const std::wstring& program, int windowStyle, ProgramStarters& starters) {
    // The shell reports a program it cannot start in a box of its own, from
    // its own process, and would open a folder in a window: both are told
    // here, as starting the program directly always told them.
    switch (starters.KindOf(program)) {
        case ProgramStarters::Kind::Missing: common::Raise(common::FailureNumber::FileNotFound, program);
        case ProgramStarters::Kind::Folder: common::Raise(common::FailureNumber::PermissionDenied, program);
        case ProgramStarters::Kind::File: break;
    }
    if (!starters.ThroughDesktopShell(program, windowStyle)) starters.Directly(program, windowStyle);
}

}  // namespace platform
