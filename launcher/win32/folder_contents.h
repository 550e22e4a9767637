// What is inside the private folder, reached through the handle that holds
// it: each entry opened relative to the handle of its folder and never
// through a reparse point (a junction or link is removed itself, never what
// it points at), each subfolder emptied before it goes.
#pragma once

#include <windows.h>

#include <string>

namespace launcher::win32 {

// Marks everything in `folder` for deletion, subfolders with their contents;
// true when all of it is gone or goes as its last handle closes.
bool DeleteContents(HANDLE folder);

// Hands everything in `folder`, whose final path is `path`, to the system
// for removal when Windows next starts, each subfolder's contents before the
// subfolder; true when the system took all of it.
bool RemoveAtRestart(HANDLE folder, const std::wstring& path);

}  // namespace launcher::win32
