#define _CRT_RAND_S  // rand_s: random numbers from the system's generator
#include "launcher/win32/private_folder.h"

#include <cstdlib>
#include <memory>

#include "launcher/win32/folder_contents.h"
#include "launcher/win32/folder_security.h"
#include "launcher/win32/nt_files.h"
#include "unzip32/reuse/os.h"

namespace launcher::win32 {

namespace {

constexpr wchar_t kNamePrefix[] = L"setup-";
constexpr int kNameAttempts = 16;
constexpr NTSTATUS kStatusNameCollision = static_cast<NTSTATUS>(0xC0000035);
// How long files in use may delay the removal.
constexpr int kRemoveAttempts = 50;
constexpr DWORD kRemoveRetryMs = 100;

// While setup.exe runs the folder is held for listing, which gives the handle
// its place in the system's sharing check (see the header), and without
// DELETE: a handle with DELETE that does not share it refuses every other
// open of the folder that does not share deletion itself, and Wine's
// FindFirstFile, with which setup.exe looks for its files, does not.
constexpr ACCESS_MASK kHeldAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr ULONG kHeldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

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

std::wstring WindowsTemp(unsigned long& error) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        error = length == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE;
        return {};
    }
    return std::wstring(folder, length - (folder[length - 1] == L'\\')) + L"\\Temp";
}

}  // namespace

bool IsSamePath(const std::wstring& expected, const std::wstring& final) {
    const std::wstring a = uz::os::PlainForm(expected);
    const std::wstring b = uz::os::PlainForm(final);
    return !a.empty() && CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring FinalPath(HANDLE file) {
    constexpr DWORD kLongest = 32768;  // \\?\ paths
    const std::unique_ptr<wchar_t[]> path(new wchar_t[kLongest]);
    const DWORD length = GetFinalPathNameByHandleW(file, path.get(), kLongest, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    return length && length < kLongest ? std::wstring(path.get(), length) : std::wstring();
}

bool PrivateFolder::Create(FolderProblem& problem) {
    problem = FolderProblem{FolderProblem::CannotMake, 0, {}};
    const std::wstring temp = WindowsTemp(problem.error);
    return !temp.empty() && CreateIn(temp, problem);
}

bool PrivateFolder::CreateIn(const std::wstring& base, FolderProblem& problem) {
    problem = FolderProblem{FolderProblem::CannotMake, 0, base};
    const platform::win32::UniqueLocalMemory descriptor = SecurityDescriptor(kFolderSecurity, problem.error);
    if (!descriptor) return false;
    // The base by its path, this once: the folder is named relative to it
    // from now on.
    NTSTATUS status = nt::Open(nullptr, uz::os::NativeForm(base).c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, FILE_DIRECTORY_FILE,
                               nullptr, base_);
    // Made and opened in one call, with its access list: made first and
    // opened after, it could be swapped in between. FILE_CREATE fails on any
    // name that exists, a link planted under it included.
    for (int attempt = 0; status >= 0 && attempt < kNameAttempts; ++attempt) {
        name_ = RandomName();
        status = nt::Open(base_.get(), name_.c_str(), kHeldAccess, kHeldSharing, FILE_CREATE, FILE_DIRECTORY_FILE,
                          descriptor.get(), held_);
        if (status != kStatusNameCollision) break;
    }
    if (!held_) {
        problem.error = nt::ErrorOf(status);
        return false;
    }
    path_ = base;
    path_ += L'\\';
    path_ += name_;
    // Its identity first: Remove() needs it to take the folder back.
    const bool known = GetFileInformationByHandle(held_.get(), &identity_);
    // A junction or a redirected drive on the way shows in the final path.
    const std::wstring final = FinalPath(held_.get());
    DWORD flags = 0;
    if (!known || final.empty() ||
        !GetVolumeInformationByHandleW(held_.get(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
        problem.error = GetLastError();
    } else if (!IsSamePath(path_, final)) {
        problem = FolderProblem{FolderProblem::Elsewhere, 0, final};
    } else if (!(flags & FILE_PERSISTENT_ACLS)) {
        problem.kind = FolderProblem::NoAccessLists;
    } else {
        return true;
    }
    Remove();
    return false;
}

Removal PrivateFolder::Remove() {
    if (!held_) return Removal::Removed;
    for (int attempt = 1;; ++attempt) {
        if (DeleteContents(held_.get()) && RemoveHeld()) return Removal::Removed;
        if (!held_) return Removal::Left;
        if (attempt == kRemoveAttempts) break;
        Sleep(kRemoveRetryMs);
    }
    // Something is still held, by a program that setup.exe started, say.
    // MoveFileExW takes paths only: the folder's is read from the handle, and
    // the names in it listed through it, while the handle is held, so it
    // cannot be renamed in between. Until the restart nobody but
    // Administrators may rename or replace what stays (its access list), and
    // the system removes it early in the restart, before any of the person's
    // programs runs. The registration needs an administrator: the launcher is one.
    const std::wstring final = FinalPath(held_.get());
    const bool handed = !final.empty() && RemoveAtRestart(held_.get(), final) &&
                        MoveFileExW(final.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    held_.reset();
    base_.reset();
    return handed ? Removal::AtRestart : Removal::Left;
}

// Deletes the emptied folder through a handle with DELETE. The held handle
// has none (kHeldAccess) and, not sharing deletion, keeps even this process
// from opening the folder for deletion: it is closed first, and the folder
// opened again by its name in the base's handle, never through a reparse
// point, and taken only if it is the same folder (volume and file index). In
// between nobody but Administrators may rename or replace it (its access list
// and that of the Windows folder's Temp); the comparison makes sure of it.
bool PrivateFolder::RemoveHeld() {
    if (!deletable_) {
        held_.reset();
        deletable_ = Reopen(kHeldAccess | DELETE);
        // Someone else has it open without sharing deletion: held as before,
        // for the next attempt.
        if (!deletable_) {
            Reopen(kHeldAccess);
            return false;
        }
    }
    if (nt::Delete(held_.get()) < 0) return false;
    held_.reset();
    base_.reset();
    return true;
}

bool PrivateFolder::Reopen(ACCESS_MASK access) {
    nt::UniqueFileHandle folder;
    BY_HANDLE_FILE_INFORMATION found{};
    if (nt::Open(base_.get(), name_.c_str(), access, kHeldSharing, FILE_OPEN, FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT,
                 nullptr, folder) < 0 ||
        !GetFileInformationByHandle(folder.get(), &found) ||
        found.dwVolumeSerialNumber != identity_.dwVolumeSerialNumber ||
        found.nFileIndexHigh != identity_.nFileIndexHigh || found.nFileIndexLow != identity_.nFileIndexLow)
        return false;
    held_ = std::move(folder);
    return true;
}

}  // namespace launcher::win32
