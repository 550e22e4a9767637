// The destination folder as one full name, so that the files, both shortcuts
// and the program that is started all refer to the same folder.
#pragma once

#include <string>

namespace installer {

// Completes the folder typed into the window (one trailing "\" already
// removed). Taken literally, "C:" would mean the current folder of drive C
// and an empty or relative text would depend on the current folder, while
// the launch joins such a text with "\" into yet another place; so a bare
// drive means its root, and anything else is completed against the current
// folder, where an extraction into the text as typed would go as well.
std::wstring FullDestination(const std::wstring& typed);

// `folder` & "\" & `name`, without doubling the separator of a drive root.
std::wstring InFolder(const std::wstring& folder, const std::wstring& name);

}  // namespace installer
