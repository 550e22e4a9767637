#include <windows.h>

#include <cstdio>

#include "packer/base/text.h"
#include "packer/sign/run_program.h"
#include "platform/win32/handles.h"
#include "unzip32/reuse/os.h"

namespace packer {

namespace {

using platform::win32::UniqueFileHandle;
using platform::win32::UniqueHandle;

std::string Failure(const std::string& why) { return "cannot be started: " + why; }

std::string SystemMessage(DWORD error) {
    return uz::os::Describe(uz::os::Status{uz::os::Status::Failed, static_cast<int>(error)});
}

bool IsProgramFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The program file a name stands for, as a POSIX shell would find it: a bare
// name in the folders of PATH only (CreateProcess would try the tool's own
// folder and the current one first), a name with a folder as it is. ".exe"
// is added to a name without extension, as CreateProcess does. Empty when
// there is no such file.
std::wstring FindProgram(const std::wstring& name) {
    const size_t base = name.find_last_of(L"\\/:");
    const bool bare = base == std::wstring::npos;
    const bool extension = name.find(L'.', bare ? 0 : base + 1) != std::wstring::npos;
    std::vector<std::wstring> folders{L""};
    if (bare) {
        folders.clear();
        std::wstring path(GetEnvironmentVariableW(L"PATH", nullptr, 0), L'\0');
        path.resize(GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
        for (size_t start = 0; start <= path.size();) {
            size_t end = path.find(L';', start);
            if (end == std::wstring::npos) end = path.size();
            std::wstring folder = path.substr(start, end - start);
            if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
                folder = folder.substr(1, folder.size() - 2);
            if (!folder.empty()) folders.push_back(folder.back() == L'\\' ? folder : folder + L'\\');
            start = end + 1;
        }
    }
    for (const std::wstring& folder : folders) {
        if (IsProgramFile(folder + name)) return folder + name;
        if (!extension && IsProgramFile(folder + name + L".exe")) return folder + name + L".exe";
    }
    return {};
}

bool IsBatchFile(const std::wstring& program) {
    const std::wstring name = FoldCase(program);
    return name.ends_with(L".BAT") || name.ends_with(L".CMD");
}

std::string EndingOf(DWORD code) {
    // Crashes end with an NTSTATUS, which is read in hexadecimal.
    if (code < 0x10000) return "ended with exit code " + std::to_string(code);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    return std::string("ended with exit code ") + hex;
}

}  // namespace

ProgramOutcome RunProgram(const std::vector<NativeString>& words) {
    ProgramOutcome outcome;
    const std::wstring program = words.empty() ? std::wstring() : FindProgram(words[0]);
    if (program.empty()) {
        outcome.ending = Failure(words.empty() || words[0].find_first_of(L"\\/:") != std::wstring::npos
                                     ? "no such program file"
                                     : "not found in the folders of PATH");
        return outcome;
    }
    // Windows would hand a batch file to cmd.exe, which reads its command
    // line again by rules of its own (% and ^ in a path included).
    if (IsBatchFile(program)) {
        outcome.ending = Failure("a batch file runs through cmd.exe, which reads the paths in its command line "
                                 "again; start it as \"cmd /c FILE\" if that is meant");
        return outcome;
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        outcome.ending = Failure(SystemMessage(GetLastError()));
        return outcome;
    }
    const UniqueHandle reader(readEnd);
    UniqueHandle writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
    const UniqueFileHandle nothing(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                               OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing.get();
    startup.hStdOutput = writer.get();
    startup.hStdError = writer.get();
    std::wstring commandLine = WindowsCommandLine(words);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &started)) {
        outcome.ending = Failure(SystemMessage(GetLastError()));
        return outcome;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    // The read ends when the program's copy of the write end closes.
    writer.reset();
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(reader.get(), buffer, sizeof buffer, &n, nullptr) && n > 0) outcome.output.append(buffer, n);
    DWORD code = 0;
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &code)) {
        outcome.ending = "was lost: " + SystemMessage(GetLastError());
        return outcome;
    }
    outcome.succeeded = code == 0;
    outcome.ending = EndingOf(code);
    return outcome;
}

}  // namespace packer
