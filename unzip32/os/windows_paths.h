// The three forms Windows gives one full path. The plain form (C:\dir,
// \\server\share\dir) is the one people read. The long form (\\?\C:\dir,
// \\?\UNC\server\share\dir) goes to the file functions as it is, without
// normalisation and without the MAX_PATH limit. The native form (\??\C:\dir,
// \??\UNC\server\share\dir) is the object manager's name, which NtCreateFile
// and a rename through a handle take. Plain string work, on every platform.
#pragma once

#include <string>

namespace uz::os {

// Each takes a full path in any of the three forms.
std::wstring PlainForm(const std::wstring& path);
std::wstring LongForm(const std::wstring& path);
std::wstring NativeForm(const std::wstring& path);

}  // namespace uz::os
