// The single file's private folder under the Windows rules Wine has: made in
// the Windows folder's Temp whatever %TEMP% says, refused where the system
// has it under another path, written and emptied through its handle, what a
// program still holds handed to the next restart. Wine keeps no access lists,
// so the descriptors the launcher gives are checked as built: whole, and with
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
#include "platform/win32/handles.h"
#include "scratch.h"

namespace {

using namespace launcher::win32;
using platform::win32::UniqueHandle;
using platform::win32::UniqueLocalMemory;

std::wstring WindowsTemp() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length) + L"\\Temp";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool StartsWith(const std::wstring& text, const std::wstring& start) {
    return text.size() >= start.size() && CompareStringOrdinal(text.c_str(), static_cast<int>(start.size()),
                                                               start.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Writes `name` through the folder's handle, as the launcher unpacks; kept
// or dropped unfinished.
void Unpack(PrivateFolder& folder, const std::string& name, bool keep = true) {
    HeldFolderFiles files(folder.Handle());
    std::unique_ptr<launcher::NewFile> file;
    ASSERT_TRUE(files.Create(name, file).ok()) << name;
    const std::string bytes = "contents of " + name;
    ASSERT_TRUE(file->Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()).ok());
    // Until it is kept nobody opens it.
    EXPECT_FALSE(platform::win32::UniqueFileHandle(CreateFileW((folder.Path() + L"\\" + std::wstring(name.begin(), name.end())).c_str(),
                                                               GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                               nullptr, OPEN_EXISTING, 0, nullptr)));
    if (keep) {
        ASSERT_TRUE(file->Keep().ok());
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
    EXPECT_TRUE(IsSamePath(folder.Path(), FinalPath(folder.Handle())));

    Unpack(folder, "Setup.ini");
    Unpack(folder, "cut short.bin", false);
    EXPECT_EQ(testsupport::ReadFile(folder.Path() + L"\\Setup.ini"), "contents of Setup.ini");
    EXPECT_FALSE(Exists(folder.Path() + L"\\cut short.bin"));
    // setup.exe finds its files; nobody renames the folder away while it is held.
    WIN32_FIND_DATAW found;
    EXPECT_TRUE(platform::win32::UniqueFindHandle(FindFirstFileW((folder.Path() + L"\\*.ini").c_str(), &found)));
    EXPECT_FALSE(MoveFileW(folder.Path().c_str(), (folder.Path() + L"-moved").c_str()));
    // What a program made in it goes too, subfolders and all.
    ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"\\logs").c_str(), nullptr));
    testsupport::WriteFile(folder.Path() + L"\\logs\\setup.log", "log");

    EXPECT_EQ(folder.Remove(), Removal::Removed);
    EXPECT_FALSE(Exists(folder.Path()));
}

TEST(PrivateFolder, RefusedWhereTheSystemHasItUnderAnotherPath) {
    // Wine reaches every Unix folder through Z: as well; the system names
    // them by their C: path, as Windows names a folder through a junction
    // by where the junction leads.
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) GTEST_SKIP() << "a second path to a folder is Wine's Z: drive";
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
    struct Case {
        const wchar_t* expected;
        const wchar_t* final;
        bool same;
    };
    const Case kCases[] = {
        {LR"(C:\Windows\Temp\setup-1)", LR"(\\?\C:\windows\TEMP\setup-1)", true},
        {LR"(C:\Windows\Temp\setup-1)", LR"(\\?\D:\Windows\Temp\setup-1)", false},
        {LR"(C:\Windows\Temp\setup-1)", LR"(\\?\C:\Users\me\AppData\Local\Temp\setup-1)", false},
        {LR"(C:\Windows\Temp\setup-1)", LR"(\\?\C:\Windows\Temp\setup-10)", false},
        {LR"(\\server\share\Temp\setup-1)", LR"(\\?\UNC\server\share\Temp\setup-1)", true},
        {LR"(\\server\share\Temp\setup-1)", LR"(\\?\UNC\other\share\Temp\setup-1)", false},
        {LR"(C:\Windows\Temp\setup-1)", L"", false},
    };
    for (const Case& c : kCases) EXPECT_EQ(IsSamePath(c.expected, c.final), c.same) << c.expected << " " << c.final;
}

// One entry of an access list, readably.
struct Entry {
    std::wstring sid;
    ACCESS_MASK rights;
    BYTE inheritance;
    bool operator==(const Entry&) const = default;
};
void PrintTo(const Entry& e, std::ostream* out) { *out << std::string(e.sid.begin(), e.sid.end()) << " " << std::hex << e.rights << " " << int(e.inheritance); }

std::wstring SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"?";
    const UniqueLocalMemory owned(text);
    return text;
}

std::wstring WellKnown(WELL_KNOWN_SID_TYPE type) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    return CreateWellKnownSid(type, nullptr, sid, &size) ? SidText(sid) : L"?";
}

// MAXIMUM_ALLOWED for `token` under `descriptor`, by the system's own check.
ACCESS_MASK Granted(PSECURITY_DESCRIPTOR descriptor, HANDLE token) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges;
    DWORD privilegesSize = sizeof privileges, granted = 0;
    BOOL allowed = FALSE;
    EXPECT_TRUE(AccessCheck(descriptor, token, MAXIMUM_ALLOWED, &mapping, &privileges, &privilegesSize, &granted, &allowed));
    return allowed ? granted : 0;
}

// The process's token as an impersonation token, with Administrators for
// deny only when `withoutAdministrators`: the person's own unelevated programs.
UniqueHandle Token(bool withoutAdministrators) {
    HANDLE own = nullptr, restricted = nullptr, impersonation = nullptr;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &own));
    const UniqueHandle owned(own);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size);
    SID_AND_ATTRIBUTES disabled{administrators, 0};
    EXPECT_TRUE(CreateRestrictedToken(own, 0, withoutAdministrators ? 1 : 0, &disabled, 0, nullptr, 0, nullptr, &restricted));
    const UniqueHandle ownedRestricted(restricted);
    EXPECT_TRUE(DuplicateToken(restricted, SecurityImpersonation, &impersonation));
    return UniqueHandle(impersonation);
}

TEST(PrivateFolder, DescriptorsOwnedByAdministratorsProtectedAndClosedToThePerson) {
    const std::wstring system = WellKnown(WinLocalSystemSid), administrators = WellKnown(WinBuiltinAdministratorsSid),
                       ownerRights = WellKnown(WinCreatorOwnerRightsSid);
    constexpr ACCESS_MASK kReadAndExecute = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
    constexpr BYTE kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    const struct {
        const char* sddl;
        BYTE inheritance;
    } kDescriptors[] = {{kFolderSecurity, kInherited}, {kFileSecurity, 0}};
    for (const auto& d : kDescriptors) {
        SCOPED_TRACE(d.sddl);
        unsigned long error = 0;
        const UniqueLocalMemory descriptor = SecurityDescriptor(d.sddl, error);
        ASSERT_TRUE(descriptor) << error;
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        ASSERT_TRUE(GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
        EXPECT_TRUE(control & SE_DACL_PROTECTED);
        PSID owner = nullptr;
        BOOL defaulted = FALSE, present = FALSE;
        ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.get(), &owner, &defaulted));
        EXPECT_EQ(owner ? SidText(owner) : L"none", administrators);
        PACL dacl = nullptr;
        ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted));
        ASSERT_TRUE(present && dacl);
        std::vector<Entry> entries;
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
            ASSERT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
            entries.push_back({SidText(&ace->SidStart), ace->Mask, ace->Header.AceFlags});
        }
        EXPECT_EQ(entries, (std::vector<Entry>{{system, FILE_ALL_ACCESS, d.inheritance},
                                               {administrators, FILE_ALL_ACCESS, d.inheritance},
                                               {ownerRights, kReadAndExecute, d.inheritance}}));

        // AccessCheck wants a primary group, which grants nothing.
        const UniqueLocalMemory checked = SecurityDescriptor(("O:BAG:SY" + std::string(d.sddl + 4)).c_str(), error);
        ASSERT_TRUE(checked);
        EXPECT_EQ(Granted(checked.get(), Token(true).get()), 0u) << "a person without Administrators";
        EXPECT_EQ(Granted(checked.get(), Token(false).get()), static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
    }
}

// What the holder program keeps open, and the system's list of what goes
// at the next restart, as it was before the test.
class HeldAtRemoval : public testing::Test {
protected:
    static constexpr wchar_t kSessionManager[] = LR"(SYSTEM\CurrentControlSet\Control\Session Manager)";
    static constexpr wchar_t kPending[] = L"PendingFileRenameOperations";

    void SetUp() override { before_ = Pending(); }
    void TearDown() override {
        if (before_.empty()) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending);
        } else {
            RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, REG_MULTI_SZ, before_.data(),
                            static_cast<DWORD>(before_.size() * sizeof(wchar_t)));
        }
    }
    // The names the system is to delete or rename at the next restart.
    static std::wstring Pending() {
        DWORD size = 0;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS)
            return {};
        std::wstring value(size / sizeof(wchar_t), L'\0');
        RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPending, RRF_RT_REG_MULTI_SZ, nullptr, value.data(), &size);
        return value;
    }
    // Those in `folder`, the folder itself included, in the order given:
    // pairs of a name and what it becomes, empty for a deletion.
    static std::vector<std::wstring> PendingIn(const std::wstring& folder) {
        std::vector<std::wstring> found;
        const std::wstring value = Pending();
        for (size_t at = 0; at < value.size() && value[at];) {
            const std::wstring name = value.c_str() + at;
            at += name.size() + 1;
            const bool deleted = at < value.size() && !value[at];
            at += wcslen(value.c_str() + at) + 1;
            if (deleted && StartsWith(name, LR"(\??\)" + folder)) found.push_back(name.substr(4 + folder.size()));
        }
        return found;
    }

    std::wstring before_;
};

TEST_F(HeldAtRemoval, WhatAProgramKeepsOpenGoesAtTheNextRestart) {
    PrivateFolder folder;
    FolderProblem problem;
    ASSERT_TRUE(folder.Create(problem));
    Unpack(folder, "setup.exe");
    const std::wstring held = folder.Path() + LR"(\cache\held.dat)";
    ASSERT_TRUE(CreateDirectoryW((folder.Path() + L"\\cache").c_str(), nullptr));
    testsupport::WriteFile(held, "kept open");

    const std::wstring event = L"private-folder-" + std::to_wstring(GetCurrentProcessId());
    const UniqueHandle isHeld(CreateEventW(nullptr, TRUE, FALSE, (event + L"-held").c_str()));
    const UniqueHandle done(CreateEventW(nullptr, TRUE, FALSE, (event + L"-done").c_str()));
    wchar_t self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring holder = self;
    holder = holder.substr(0, holder.find_last_of(L'\\')) + L"\\file_holder.exe";
    std::wstring command = L"file_holder \"" + held + L"\" " + event;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(holder.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &started));
    const UniqueHandle process(started.hProcess), thread(started.hThread);
    ASSERT_EQ(WaitForSingleObject(isHeld.get(), 60000), WAIT_OBJECT_0);

    const Removal removal = folder.Remove();
    const bool heldStays = Exists(held), unpackedGone = !Exists(folder.Path() + L"\\setup.exe");
    const std::vector<std::wstring> pending = PendingIn(folder.Path());
    SetEvent(done.get());
    EXPECT_EQ(WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
    DeleteFileW(held.c_str());
    RemoveDirectoryW((folder.Path() + L"\\cache").c_str());
    RemoveDirectoryW(folder.Path().c_str());

    EXPECT_EQ(removal, Removal::AtRestart);
    EXPECT_TRUE(heldStays);
    EXPECT_TRUE(unpackedGone);
    EXPECT_EQ(pending, (std::vector<std::wstring>{LR"(\cache\held.dat)", LR"(\cache)", L""}));
}

TEST(StartingSetup, TheSystemsMessageNamesTheFileAndSaysWhenItsPathIsTooLong) {
    PrivateFolder folder;
    FolderProblem problem;
    ASSERT_TRUE(folder.Create(problem));
    Unpack(folder, "setup.exe");  // text, no program
    const std::wstring notAProgram = folder.Path() + L"\\setup.exe";
    const std::wstring tooLong = folder.Path() + L"\\" + std::wstring(MAX_PATH, L'a') + L"\\setup.exe";
    struct Case {
        std::wstring program;
        const wchar_t* says;  // part of it
    };
    const Case kCases[] = {{notAProgram, notAProgram.c_str()}, {tooLong, L"too long"}};
    for (const Case& c : kCases) {
        unsigned long exitCode = 0, error = 0;
        EXPECT_FALSE(RunAndWait(c.program, exitCode, error));
        const std::wstring message = SystemMessage(error, c.program);
        EXPECT_NE(message.find(c.says), std::wstring::npos) << message;
        EXPECT_EQ(message.find(L"%1"), std::wstring::npos) << message;
    }
}

}  // namespace
