// The folder the launcher unpacks into: a new folder with a random name in
// the Windows folder's Temp, that only Administrators and SYSTEM may write
// (folder_security.h).
//
// Why not the person's own account: the launcher runs elevated, while the
// person's other programs run unelevated under the same account. If that
// account could write here, any of them could swap unzip32.dll or setup.exe
// between unpacking and starting and have it run elevated.
//
// Why the Windows folder's Temp and never %TEMP% or %TMP%: those name a
// folder of the person's, and the person's unelevated programs can change
// the variables, or re-point a junction on the way, at any moment. Nobody but
// Administrators may rename, replace or redirect the Windows folder or its
// Temp, where Users may create entries but neither list nor delete those of
// others. After creation the folder's final path, as the system reports it
// for the handle, must be the expected one; otherwise the launcher stops.
//
// The folder is held open from the moment it is made until it is removed,
// with read access and without delete sharing: Windows then refuses every
// other open of it for deletion, and renaming needs one, so it can neither be
// renamed away nor replaced (an open with attribute access only would not
// count in that check). Whatever is done in it goes through that handle
// (nt_files.h): files are made, renamed, listed and deleted by names
// relative to it. Windows takes a path in only two places: starting setup.exe
// (CreateProcessW) and handing leftovers to the next restart (MoveFileExW).
// Both use the path checked against the handle, while the handle is held.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace launcher::win32 {

// Why there is no folder.
struct FolderProblem {
    enum Kind {
        None,
        CannotMake,     // the system refused, with `error`, to make it in `where`
        Elsewhere,      // the system has the folder at `where`, not where it was made
        NoAccessLists,  // its drive keeps no access lists (FAT, exFAT): they would be dropped silently
    } kind = None;
    unsigned long error = 0;
    std::wstring where;
};

enum class Removal {
    Removed,    // nothing is left
    AtRestart,  // what a program still holds goes when Windows next starts
    Left,       // something stays in the Windows folder's Temp
};

class PrivateFolder {
public:
    PrivateFolder() = default;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    // Removes what is left.
    ~PrivateFolder() { Remove(); }

    // Makes the folder in the Windows folder's Temp; false with `problem`
    // when there is none.
    bool Create(FolderProblem& problem);
    // Makes it in `base`, a full path on a drive (C:\...) without a
    // trailing separator.
    bool CreateIn(const std::wstring& base, FolderProblem& problem);

    // Removes the folder with everything in it, subfolders too, retrying for
    // a few seconds while something is in use (a program that has just
    // ended). What a program still holds open after that is handed to the
    // system for removal at the next restart, which needs an administrator,
    // as the launcher is. Nothing happens when there is no folder.
    Removal Remove();

    // The folder's full path, without a trailing separator.
    const std::wstring& Path() const { return path_; }
    // The handle that holds it: the root of every name used in it.
    HANDLE Handle() const { return held_.get(); }

private:
    bool Reopen(ACCESS_MASK access);
    bool RemoveHeld();

    std::wstring path_;
    std::wstring name_;
    platform::win32::UniqueFileHandle base_;  // the folder it was made in
    platform::win32::UniqueFileHandle held_;
    bool deletable_ = false;  // held_ carries DELETE
    BY_HANDLE_FILE_INFORMATION identity_{};
};

// Whether `final`, the path GetFinalPathNameByHandleW reports (\\?\C:\...,
// \\?\UNC\server\share\...), names the full path `expected`; compared as
// Windows compares names, without case.
bool IsSamePath(const std::wstring& expected, const std::wstring& final);

// The path of the file or folder `file` as the system reports it, or empty.
std::wstring FinalPath(HANDLE file);

}  // namespace launcher::win32
