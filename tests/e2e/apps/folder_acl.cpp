// Reads, through the security API, the access list of the folder that the
// program owning a visible window of class CLASS was started from, and
// prints it. Exit code 1 when the list grants anything to Everyone, Users,
// Authenticated Users or Interactive, or when there is none (a folder
// without an access list lets everyone in).
//   folder_acl.exe CLASS
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>

#include "platform/win32/handles.h"

namespace {

using platform::win32::UniqueHandle;
using platform::win32::UniqueLocalMemory;

std::wstring ProgramFolderOf(const wchar_t* windowClass) {
    HWND window = FindWindowW(windowClass, nullptr);
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid)) return {};
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH];
    DWORD length = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &length)) return {};
    const std::wstring file(path, length);
    return file.substr(0, file.find_last_of(L'\\'));
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: folder_acl CLASS\n");
        return 2;
    }
    const std::wstring folder = ProgramFolderOf(argv[1]);
    if (folder.empty()) {
        std::printf("no program with a window of that class\n");
        return 1;
    }
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR raw = nullptr;
    const DWORD error = GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                              nullptr, &dacl, nullptr, &raw);
    const UniqueLocalMemory descriptor(raw);
    if (error != ERROR_SUCCESS) {
        std::printf("cannot read the access list of %ls (error %lu)\n", folder.c_str(), error);
        return 1;
    }
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(raw, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                         nullptr);
    const UniqueLocalMemory ownedText(text);
    std::printf("folder %ls\naccess %ls\n", folder.c_str(), text ? text : L"?");
    if (!dacl) {
        std::printf("no access list: everyone may do anything\n");
        return 1;
    }
    int granted = 0;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace) || static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart;
        for (auto type : {WinWorldSid, WinBuiltinUsersSid, WinAuthenticatedUserSid, WinInteractiveSid}) {
            if (IsWellKnown(sid, type)) ++granted;
        }
    }
    if (granted != 0) {
        std::printf("the list grants access to Everyone, Users, Authenticated Users or Interactive\n");
        return 1;
    }
    return 0;
}
