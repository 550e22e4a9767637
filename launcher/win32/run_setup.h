// Starting setup.exe from the unpacked folder and waiting for it.
#pragma once

#include <string>

namespace launcher::win32 {

// Starts `program` by its full path, as the application name (the system
// searches nowhere for it), and waits until it ends. True with its exit code;
// false with the system's error when it cannot start.
bool RunAndWait(const std::wstring& program, unsigned long& exitCode, unsigned long& error);

}  // namespace launcher::win32
