#define _CRT_RAND_S  // rand_s: random numbers from the system's generator
#include "launcher/win32/private_folder.h"

#include <windows.h>
#include <sddl.h>
#include <winternl.h>

#include <cstdlib>
#include <vector>

namespace launcher::win32 {

namespace {

using platform::win32::UniqueFileHandle;
using platform::win32::UniqueFindHandle;
using platform::win32::UniqueLocalMemory;

// The folder's access list, protected so that nothing is inherited from the
// temporary folder, and inherited by every file made in it:
//   SYSTEM and Administrators: full control;
//   whoever owns the folder: read and execute only. An owner may otherwise
//   always change the access list, and the system may make the person's own
//   account the owner rather than Administrators.
// Everyone, Users, Authenticated Users and Interactive get nothing.
constexpr wchar_t kFolderSecurity[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;OW)";
constexpr wchar_t kNamePrefix[] = L"setup-";
constexpr int kNameAttempts = 16;
// How long files in use may delay the removal.
constexpr int kRemoveAttempts = 50;
constexpr DWORD kRemoveRetryMs = 100;

std::wstring RandomName() {
    std::wstring name = kNamePrefix;
    for (int part = 0; part < 2; ++part) {
        unsigned value = 0;
        if (rand_s(&value) != 0) value = GetTickCount() ^ (GetCurrentProcessId() << 16);
        wchar_t hex[9];
        for (int i = 7; i >= 0; --i, value >>= 4) hex[i] = L"0123456789abcdef"[value & 0xF];
        hex[8] = L'\0';
        name += hex;
    }
    return name;
}

std::wstring TemporaryFolder(DWORD& error) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    const DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) {
        error = length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
        return {};
    }
    return std::wstring(buffer.data(), length);  // ends in a separator
}

// The system's own name of a full path: \??\C:\... for C:\..., and
// \??\UNC\server\share\... for \\server\share\....
std::wstring NtPath(const std::wstring& path) {
    if (path.rfind(LR"(\\?\)", 0) == 0) return LR"(\??\)" + path.substr(4);
    if (path.rfind(LR"(\\)", 0) == 0) return LR"(\??\UNC\)" + path.substr(2);
    return LR"(\??\)" + path;
}

template <typename Function>
Function* NtdllFunction(const char* name) {
    // ntdll is in every process: looking it up loads nothing.
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// Creates the folder with its access list and opens it in one step: made
// first and opened after, it could be renamed away in between, since the
// user's temporary folder lets its owner rename what is in it. The handle
// shares no deletion, so the folder can neither be renamed nor removed while
// it is open. CreateDirectoryW cannot hand back a handle; NtCreateFile can.
UniqueFileHandle CreateHeldFolder(const std::wstring& path, PSECURITY_DESCRIPTOR descriptor, DWORD& error) {
    const auto create = NtdllFunction<decltype(NtCreateFile)>("NtCreateFile");
    const auto toError = NtdllFunction<decltype(RtlNtStatusToDosError)>("RtlNtStatusToDosError");
    if (!create || !toError) {
        error = ERROR_PROC_NOT_FOUND;
        return UniqueFileHandle();
    }
    std::wstring name = NtPath(path);
    const auto bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    UNICODE_STRING text{bytes, bytes, name.data()};
    OBJECT_ATTRIBUTES attributes{sizeof attributes, nullptr, &text, OBJ_CASE_INSENSITIVE, descriptor, nullptr};
    IO_STATUS_BLOCK io{};
    HANDLE folder = INVALID_HANDLE_VALUE;
    const NTSTATUS status = create(&folder, FILE_READ_ATTRIBUTES | SYNCHRONIZE, &attributes, &io, nullptr,
                                   FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                                   FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (status < 0) {
        error = toError(status);
        return UniqueFileHandle();
    }
    return UniqueFileHandle(folder);
}

// Deletes every file in the folder, then the folder; false when anything stays.
bool DeleteTree(const std::wstring& folder) {
    WIN32_FIND_DATAW entry{};
    {
        UniqueFindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
        if (find) {
            do {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((folder + L"\\" + entry.cFileName).c_str());
            } while (FindNextFileW(find.get(), &entry));
        }
    }
    return RemoveDirectoryW(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
           GetLastError() == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool PrivateFolder::Create(unsigned long& error) {
    const std::wstring temporary = TemporaryFolder(error);
    if (temporary.empty()) return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderSecurity, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        error = GetLastError();
        return false;
    }
    const UniqueLocalMemory owned(descriptor);
    // The access list comes with the folder: there is no moment in which the
    // folder exists with the temporary folder's permissions. A name that
    // exists already is never used.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::wstring path = temporary + RandomName();
        held_ = CreateHeldFolder(path, descriptor, error);
        if (held_) {
            path_ = path;
            return true;
        }
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
    }
    return false;
}

bool PrivateFolder::Remove() {
    if (path_.empty()) return true;
    held_.reset();
    bool removed = DeleteTree(path_);
    for (int attempt = 1; !removed && attempt < kRemoveAttempts; ++attempt) {
        Sleep(kRemoveRetryMs);
        removed = DeleteTree(path_);
    }
    path_.clear();  // what resisted this long stays: one try is enough
    return removed;
}

}  // namespace launcher::win32
