// The two ways a program is started; platform/start_route.h says which is
// taken when.
#pragma once

#include <string>

namespace platform::win32 {

// Asks the shell that serves the person's desktop (Explorer) to start
// `program` (a full path) without arguments, in `folder`, shown as
// `windowStyle`. The program then runs in the shell's name: as the person
// logged on, with their normal rights, whatever rights the caller has.
// Returns once the shell has taken it, without waiting for the program;
// raises the shell's refusal. False, having started nothing, when no shell
// desktop is there to ask: no shell registered its windows, none of them is
// the desktop, or COM cannot be had on this thread (desktop_shell.cpp).
bool StartThroughDesktopShell(const std::wstring& program, const std::wstring& folder, int windowStyle);

// Starts `program` as this process's child, with this process's rights and
// current folder (processes.cpp).
void StartDirectly(const std::wstring& program, int windowStyle);

}  // namespace platform::win32
