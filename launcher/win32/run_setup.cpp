#include "launcher/win32/run_setup.h"

#include <windows.h>

#include "platform/win32/handles.h"

namespace launcher::win32 {

bool RunAndWait(const std::wstring& program, unsigned long& exitCode, unsigned long& error) {
    // A program is started, and loads its libraries, only by a path shorter
    // than MAX_PATH: CreateProcessW answers a longer one with "path not
    // found" (under Wine), which would send the person looking for a file.
    if (program.size() >= MAX_PATH) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    // The working folder stays the launcher's: a program setup.exe starts
    // inherits it, and a working folder inside the unpacked folder would keep
    // that folder from being removed.
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        error = GetLastError();
        return false;
    }
    const platform::win32::UniqueHandle process(started.hProcess);
    const platform::win32::UniqueHandle thread(started.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &code)) {
        error = GetLastError();
        return false;
    }
    exitCode = code;
    return true;
}

}  // namespace launcher::win32
