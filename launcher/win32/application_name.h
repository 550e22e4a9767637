// The application's name for the unpacking window: the APPLICATION line of
// the unpacked Setup.ini, read by the installer's own reader as setup.exe
// will read it.
#pragma once

#include <windows.h>

#include <string>

namespace launcher::win32 {

// Empty when the file has no such line or cannot be read. `held` is the
// handle that holds `folder` (private_folder.h).
std::wstring ApplicationName(const std::wstring& folder, HANDLE held);

}  // namespace launcher::win32
