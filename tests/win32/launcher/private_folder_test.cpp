// The single file's private folder under the Windows rules Wine has: made in
// the Windows folder's Temp whatever %TEMP% says, refused where the system
// has it under another path, written and emptied through its handle, what a
// program still holds handed to the next restart. Wine keeps no descriptors
// on files, so those the launcher gives are checked as built: whole, and by
// the system's own access check for a person without Administrators.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/win32/folder_security.h"
#include "launcher/win32/held_folder_files.h"
#include "launcher/win32/private_folder.h"
#include "launcher/win32/run_setup.h"
#include "launcher/win32/system_message.h"
#include "scratch.h"

namespace {

using namespace launcher::win32;
using platform::win32::UniqueHandle;
using platform::win32::UniqueLocalMemory;

std::wstring WindowsTemp() {
    wchar_t folder[MAX_PATH];
    return std::wstring(folder, GetSystemWindowsDirectoryW(folder, MAX_PATH)) + L"\\Temp";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return CompareStringOrdinal(text.c_str(), static_cast<int>(std::min(text.size(), start.size())), start.c_str(), -1,
                                TRUE) == CSTR_EQUAL;
}

// Writes `name` through the folder's handle, as the launcher unpacks, and
// keeps it or drops it unfinished. Until it is kept nobody opens it.
void Unpack(PrivateFolder& folder, const std::string& name, bool keep = true) {
    std::unique_ptr<launcher::NewFile> file;
    ASSERT_TRUE(HeldFolderFiles(folder.Handle()).Create(name, file).ok()) << name;
    ASSERT_TRUE(file->Write(reinterpret_cast<const uint8_t*>(name.data()), name.size()).ok());
    const std::wstring path = folder.Path() + L"\\" + std::wstring(name.begin(), name.end());
    EXPECT_FALSE(platform::win32::UniqueFileHandle(CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
        nullptr)));
    if (keep) {
        EXPECT_TRUE(file->Keep().ok());
    }
}

TEST(PrivateFolder, MadeInTheWindowsTempNeverWhereTempSaysAndRemovedWhole) {
    testsupport::Scratch elsewhere;
    for (const wchar_t* variable : {L"TEMP", L"TMP"}) SetEnvironmentVariableW(variable, elsewhere.path().c_str());
    PrivateFolder folder;
    FolderProblem problem;
    const bool made = folder.Create(problem);
    for (const wchar_t* variable : {L"TEMP", L"TMP"}) SetEnvironmentVariableW(variable, nullptr);
    ASSERT_TRUE(made) << problem.kind << " " << problem.error;
    EXPECT_TRUE(StartsWith(folder.Path(), WindowsTemp() + L"\\setup-")) << folder.Path();

    Unpack(folder, "Setup.ini");
    Unpack(folder, "cut short.bin", false);
    EXPECT_EQ(testsupport::ReadFile(folder.Path() + L"\\Setup.ini"), "Setup.ini");
    EXPECT_FALSE(Exists(folder.Path() + L"\\cut short.bin"));
    // setup.exe finds its files; nobody renames the folder away while it is held.
    WIN32_FIND_DATAW found;
    EXPECT_TRUE(platform::win32::UniqueFindHandle(FindFirstFileW((folder.Path() + L"\\*.ini").c_str(), &found)));
    EXPECT_FALSE(MoveFileW(folder.Path().c_str(), (folder.Path() + L"-moved").c_str()));
    // What a program made in it goes too, subfolders and all.
    testsupport::WriteFile(folder.Path() + L"\\logs\\setup.log", "log");

    EXPECT_EQ(folder.Remove(), Removal::Removed);
    EXPECT_FALSE(Exists(folder.Path()));
}

TEST(PrivateFolder, RefusedWhereTheSystemHasItUnderAnotherPath) {
    // Wine reaches every folder through its Z: drive as well, and names it by
    // its C: path, as Windows names a folder reached through a junction by
    // where the junction leads.
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) GTEST_SKIP() << "the second path to a folder is Wine's Z: drive";
    char* unix = unixName(WindowsTemp().c_str());
    ASSERT_NE(unix, nullptr);
    std::wstring base = L"Z:";
    for (const char* c = unix; *c; ++c) base += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    HeapFree(GetProcessHeap(), 0, unix);

    PrivateFolder folder;
    FolderProblem problem;
    EXPECT_FALSE(folder.CreateIn(base, problem));
    EXPECT_EQ(problem.kind, FolderProblem::Elsewhere);
    const std::wstring name = folder.Path().substr(folder.Path().find_last_of(L'\\'));
    EXPECT_TRUE(IsSamePath(WindowsTemp() + name, problem.where)) << problem.where;
    EXPECT_FALSE(Exists(WindowsTemp() + name));
}

TEST(PrivateFolder, FinalPathComparedAsWindowsComparesNames) {
    const struct {
        const wchar_t *expected, *final;
        bool same;
    } kCases[] = {
        {LR"(C:\Windows\Temp\setup-1)", LR"(\\?\C:\windows\TEMP\setup-1)", true},
        {LR"(C:\Windows\Temp\setup-1)", LR"(\\?\D:\Windows\Temp\setup-1)", false},
        {LR"(C:\Windows\Temp\setup-1)", LR"(\\?\C:\Users\me\AppData\Local\Temp\setup-1)", false},
        {LR"(C:\Windows\Temp\setup-1)", LR"(\\?\C:\Windows\Temp\setup-10)", false},
        {LR"(\\server\share\Temp\setup-1)", LR"(\\?\UNC\server\share\Temp\setup-1)", true},
        {LR"(\\server\share\Temp\setup-1)", LR"(\\?\UNC\other\share\Temp\setup-1)", false},
        {LR"(C:\Windows\Temp\setup-1)", L"", false},
    };
    for (const auto& c : kCases) EXPECT_EQ(IsSamePath(c.expected, c.final), c.same) << c.expected << " " << c.final;
}

// MAXIMUM_ALLOWED under `sddl` for the process's token, with Administrators
// for deny only when `withoutAdministrators` (the person's own unelevated
// programs), by the system's own check.
ACCESS_MASK Granted(const std::string& sddl, bool withoutAdministrators) {
    // AccessCheck wants a primary group, which grants nothing.
    unsigned long error = 0;
    const UniqueLocalMemory descriptor = SecurityDescriptor(("G:SY" + sddl).c_str(), error);
    HANDLE own = nullptr, restricted = nullptr, token = nullptr;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators, granted = 0;
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size);
    SID_AND_ATTRIBUTES disabled{administrators, 0};
    EXPECT_TRUE(descriptor && OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &own) &&
                CreateRestrictedToken(UniqueHandle(own).get(), 0, withoutAdministrators, &disabled, 0, nullptr, 0,
                                      nullptr, &restricted) &&
                DuplicateToken(UniqueHandle(restricted).get(), SecurityImpersonation, &token));
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges;
    DWORD privilegesSize = sizeof privileges;
    BOOL allowed = FALSE;
    EXPECT_TRUE(AccessCheck(descriptor.get(), UniqueHandle(token).get(), MAXIMUM_ALLOWED, &mapping, &privileges,
                            &privilegesSize, &granted, &allowed));
    return allowed ? granted : 0;
}

TEST(PrivateFolder, DescriptorsOwnedByAdministratorsProtectedAndClosedToThePerson) {
    const struct {
        const char* sddl;
        const char* readBack;  // as the system describes it
    } kDescriptors[] = {
        {kFolderSecurity, "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;OW)"},
        {kFileSecurity, "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;OW)"},
    };
    static_assert((FILE_GENERIC_READ | FILE_GENERIC_EXECUTE) == 0x1200a9, "OWNER RIGHTS may read and execute");
    for (const auto& d : kDescriptors) {
        unsigned long error = 0;
        const UniqueLocalMemory descriptor = SecurityDescriptor(d.sddl, error);
        char* text = nullptr;
        ASSERT_TRUE(descriptor && ConvertSecurityDescriptorToStringSecurityDescriptorA(
                                      descriptor.get(), SDDL_REVISION_1,
                                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr));
        EXPECT_EQ(std::string(text), d.readBack);
        LocalFree(text);
        EXPECT_EQ(Granted(d.sddl, true), 0u) << "a person without Administrators: " << d.sddl;
        EXPECT_EQ(Granted(d.sddl, false), static_cast<ACCESS_MASK>(FILE_ALL_ACCESS)) << d.sddl;
    }
}

// The names in `folder`, the folder itself included, that the system is to
// delete at the next restart, in its order: pairs of a name and what it
// becomes, empty for a deletion.
std::vector<std::wstring> RemovedAtRestart(const std::wstring& folder) {
    constexpr wchar_t kKey[] = LR"(SYSTEM\CurrentControlSet\Control\Session Manager)";
    DWORD size = 0;
    RegGetValueW(HKEY_LOCAL_MACHINE, kKey, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size);
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    RegGetValueW(HKEY_LOCAL_MACHINE, kKey, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, value.data(),
                 &size);
    std::vector<std::wstring> found;
    for (const wchar_t* name = value.c_str(); *name;) {
        const wchar_t* becomes = name + wcslen(name) + 1;
        if (!*becomes && StartsWith(name, LR"(\??\)" + folder)) found.push_back(name + 4 + folder.size());
        name = becomes + wcslen(becomes) + 1;
    }
    return found;
}

TEST(PrivateFolder, WhatAProgramKeepsOpenGoesAtTheNextRestart) {
    PrivateFolder folder;
    FolderProblem problem;
    ASSERT_TRUE(folder.Create(problem));
    Unpack(folder, "setup.exe");
    const std::wstring held = folder.Path() + LR"(\cache\held.dat)";
    testsupport::WriteFile(held, "kept open");

    // file_holder, beside this program, holds it without delete sharing.
    const std::wstring event = L"private-folder-" + std::to_wstring(GetCurrentProcessId());
    const UniqueHandle isHeld(CreateEventW(nullptr, TRUE, FALSE, (event + L"-held").c_str()));
    const UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, (event + L"-done").c_str()));
    wchar_t self[MAX_PATH];
    std::wstring holder(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    holder = holder.substr(0, holder.find_last_of(L'\\')) + L"\\file_holder.exe";
    std::wstring command = L"file_holder \"" + held + L"\" " + event;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(holder.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &started));
    const UniqueHandle process(started.hProcess), thread(started.hThread);
    ASSERT_EQ(WaitForSingleObject(isHeld.get(), 60000), WAIT_OBJECT_0);

    EXPECT_EQ(folder.Remove(), Removal::AtRestart);
    EXPECT_TRUE(Exists(held));
    EXPECT_FALSE(Exists(folder.Path() + L"\\setup.exe"));
    EXPECT_EQ(RemovedAtRestart(folder.Path()), (std::vector<std::wstring>{LR"(\cache\held.dat)", LR"(\cache)", L""}));
    SetEvent(done.get());
    EXPECT_EQ(WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
    DeleteFileW(held.c_str());
    RemoveDirectoryW((folder.Path() + L"\\cache").c_str());
    RemoveDirectoryW(folder.Path().c_str());
}

TEST(StartingSetup, TheSystemsMessageNamesTheFileAndSaysWhenItsPathIsTooLong) {
    PrivateFolder folder;
    FolderProblem problem;
    ASSERT_TRUE(folder.Create(problem));
    Unpack(folder, "setup.exe");  // text, no program
    const std::wstring notAProgram = folder.Path() + L"\\setup.exe";
    const std::wstring tooLong = folder.Path() + L"\\" + std::wstring(MAX_PATH, L'a') + L"\\setup.exe";
    for (const auto& [program, says] : {std::pair{notAProgram, notAProgram}, std::pair{tooLong, std::wstring(L"too long")}}) {
        unsigned long exitCode = 0, error = 0;
        EXPECT_FALSE(RunAndWait(program, exitCode, error));
        const std::wstring message = SystemMessage(error, program);
        EXPECT_NE(message.find(says), std::wstring::npos) << message;
        EXPECT_EQ(message.find(L"%1"), std::wstring::npos) << message;
    }
}

}  // namespace
