// Which way the installed program is started. setup.exe runs elevated, and a
// program it started itself would inherit that: administrator rights on the
// person's desktop, and the administrator's profile when someone else typed
// the administrator's password. The shell of the person's desktop starts it
// instead, as a double click would, with the person's normal rights; only
// where no shell serves the desktop is it started directly.
#pragma once

#include <string>

namespace platform {

// What the route asks of the system (win32/processes.cpp; a fake in tests).
struct ProgramStarters {
    enum class Kind { Missing, Folder, File };
    virtual Kind KindOf(const std::wstring& program) = 0;
    // Hands `program` to the desktop's shell, to be started without
    // arguments in this process's current folder; does not wait for it.
    // False when no shell desktop is there to ask.
    virtual bool ThroughDesktopShell(const std::wstring& program, int windowStyle) = 0;
    // Starts it as this process's child, with this process's rights.
    virtual void Directly(const std::wstring& program, int windowStyle) = 0;
    virtual ~ProgramStarters() = default;
};

// Starts `program` (a full path, no arguments) the person's way: 53 when it
// is missing and 70 when it is a folder, on either route.
void StartAsPerson(const std::wstring& program, int windowStyle, ProgramStarters& starters);

}  // namespace platform
