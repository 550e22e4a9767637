#include <string>

#include "common/failure.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

common::FailureNumber StartFailure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return common::FailureNumber::FileNotFound;
        case ERROR_ACCESS_DENIED:
            return common::FailureNumber::PermissionDenied;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return common::FailureNumber::OutOfMemory;
        default:
            return common::FailureNumber::InvalidCall;
    }
}

}  // namespace

// The command line names one program file, never with arguments. Handed to
// the system unquoted, a path with blanks such as
//   C:\Program Files\Sample Writer\writer.exe
// would be tried piece by piece, starting a planted C:\Program.exe first; so
// the file is named exactly, as the application, and the command line
// carries it quoted.
void Win32Processes::Shell(const std::wstring& commandLine, int windowStyle) {
    std::wstring quoted = L"\"" + commandLine + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(commandLine.c_str(), quoted.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        common::Raise(StartFailure(GetLastError()), commandLine);
    }
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
}

void Win32Processes::End(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace platform::win32
