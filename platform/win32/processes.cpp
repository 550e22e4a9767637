#include <string>

#include "common/failure.h"
#include "platform/start_route.h"
#include "platform/win32/handles.h"
#include "platform/win32/start_routes.h"
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

std::wstring CurrentFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
        if (n == 0) common::Raise(StartFailure(GetLastError()));
        if (n < folder.size()) {
            folder.resize(n);
            return folder;
        }
        folder.resize(n);  // too short: n is the size needed, its zero included
    }
}

class Win32Starters final : public ProgramStarters {
public:
    Kind KindOf(const std::wstring& program) override {
        DWORD attributes = GetFileAttributesW(program.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return Kind::Missing;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::File;
    }
    // In this process's current folder, as a direct start would be.
    bool ThroughDesktopShell(const std::wstring& program, int windowStyle) override {
        return StartThroughDesktopShell(program, CurrentFolder(), windowStyle);
    }
    void Directly(const std::wstring& program, int windowStyle) override { StartDirectly(program, windowStyle); }
};

}  // namespace

// Handed to the system unquoted, a path with blanks such as
//   C:\Program Files\Sample Writer\writer.exe
// would be tried piece by piece, starting a planted C:\Program.exe first; so
// the file is named exactly, as the application, and the command line
// carries it quoted.
void StartDirectly(const std::wstring& program, int windowStyle) {
    std::wstring quoted = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), quoted.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        common::Raise(StartFailure(GetLastError()), program);
    }
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
}

// The command line names one program file, never with arguments.
void Win32Processes::Shell(const std::wstring& commandLine, int windowStyle) {
    Win32Starters starters;
    StartAsPerson(commandLine, windowStyle, starters);
}

void Win32Processes::End(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace platform::win32
