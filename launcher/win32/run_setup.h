// Starting setup.exe from the unpacked folder and waiting for it.
#pragma once

#include <string>

namespace launcher::win32 {

// Starts `program` by its full path, as the application name (the system
// searches nowhere for it), and waits until it ends. True with its exit code;
// false with the system's error when it cannot start, which for a path too
// long for the system says so (ERROR_FILENAME_EXCED_RANGE).
//
// A path, as CreateProcessW takes nothing else: the caller's is that of the
// private folder, checked against the handle that holds it (private_folder.h).
bool RunAndWait(const std::wstring& program, unsigned long& exitCode, unsigned long& error);

}  // namespace launcher::win32
