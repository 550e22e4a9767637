#include "launcher/win32/folder_contents.h"

#include <cwchar>

#include "launcher/win32/nt_files.h"

namespace launcher::win32 {

namespace {

// Deeper subfolders are left alone: each level holds a handle and a frame.
constexpr int kMaxDepth = 64;

// Opens `name` in `folder` as it is: a link or junction itself, never its
// target. `isFolder` for a folder that is no reparse point.
bool OpenEntry(HANDLE folder, const wchar_t* name, ACCESS_MASK access, nt::UniqueFileHandle& entry,
               bool& isFolder) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (nt::Open(folder, name, access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                 FILE_OPEN, FILE_OPEN_REPARSE_POINT, nullptr, entry) < 0 ||
        !GetFileInformationByHandle(entry.get(), &info))
        return false;
    isFolder = (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
               FILE_ATTRIBUTE_DIRECTORY;
    return true;
}

// Deletes everything in `folder`; or, given `path` (the folder's final
// path), hands it to the next restart instead. One walk for both, which
// keeps the launcher small.
bool Empty(HANDLE folder, const std::wstring* path, int depth) {
    std::wstring names;
    if (nt::List(folder, names) < 0) return false;
    bool all = true;
    for (const wchar_t* name = names.c_str(); *name; name += wcslen(name) + 1) {
        std::wstring entryPath;
        if (path) {
            entryPath = *path;
            entryPath += L'\\';
            entryPath += name;
        }
        nt::UniqueFileHandle entry;
        bool isFolder = false;
        // A file that a program holds without delete sharing refuses an open
        // for deletion; one held without read sharing refuses any open that
        // reads. Either is no folder: its name is handed over all the same.
        if (OpenEntry(folder, name, path ? FILE_LIST_DIRECTORY : DELETE | FILE_LIST_DIRECTORY, entry, isFolder)) {
            if (isFolder && (depth == kMaxDepth || !Empty(entry.get(), path ? &entryPath : nullptr, depth + 1)))
                all = false;
            else if (!path && nt::Delete(entry.get()) < 0)
                all = false;
        } else if (!path) {
            all = false;
        }
        if (path && !MoveFileExW(entryPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) all = false;
    }
    return all;
}

}  // namespace

bool DeleteContents(HANDLE folder) { return Empty(folder, nullptr, 0); }

bool RemoveAtRestart(HANDLE folder, const std::wstring& path) { return Empty(folder, &path, 0); }

}  // namespace launcher::win32
