// The system's native file calls, with names relative to a folder handle
// (the RootDirectory of OBJECT_ATTRIBUTES and of FILE_RENAME_INFORMATION):
// what the launcher does in its folder goes through the handle it holds,
// never through a full path that someone else could re-point. The Win32 file
// calls take full paths only.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <string>

#include "platform/win32/handles.h"

namespace launcher::win32::nt {

using platform::win32::UniqueFileHandle;

// Opens or creates `name` in the folder `root`, or the full native path
// `name` (\??\C:\...) when `root` is null. The handle does synchronous I/O,
// so ReadFile and WriteFile work on it as on any other.
NTSTATUS Open(HANDLE root, const wchar_t* name, ACCESS_MASK access, ULONG share, ULONG disposition,
              ULONG options, PSECURITY_DESCRIPTOR security, UniqueFileHandle& file);

// Sets or clears the mark that deletes the file or empty folder when its
// last handle closes.
NTSTATUS MarkForDeletion(HANDLE file, bool marked);

// Deletes the file or empty folder as its last handle closes. Where the file
// system has them (NTFS since Windows 10 1709), with POSIX semantics: the
// name goes as soon as this handle closes, even while others still hold the
// file open with delete sharing, so that its folder can go too; the
// read-only attribute is then no obstacle either.
NTSTATUS Delete(HANDLE file);

// The names of what `folder` holds, without "." and "..", each followed by
// a zero: the list ends where a name would be empty.
NTSTATUS List(HANDLE folder, std::wstring& names);

// The Windows error number for a status, for messages.
unsigned long ErrorOf(NTSTATUS status);

}  // namespace launcher::win32::nt
