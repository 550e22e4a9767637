// The unzip library, loaded from the program's own folder at its first use
// and kept loaded for the rest of the process.
#pragma once

#include "unzip32/unzip32.h"

namespace unzip {

// The library's name; the platform turns it into its file name
// (unzip32.dll, libunzip32.so).
inline constexpr wchar_t kLibraryName[] = L"unzip32";
// The names its entry points are exported under.
inline constexpr char kVersionEntryName[] = "UzpVersion2";
inline constexpr char kUnzipEntryName[] = "Wiz_SingleEntryUnzip";

using UzpVersion2Entry = decltype(&UzpVersion2);
using WizSingleEntryUnzipEntry = decltype(&Wiz_SingleEntryUnzip);

// Each loads the library if it is not loaded yet (48 when that fails) and
// looks up its entry point (453 when it is missing).
UzpVersion2Entry VersionEntry();
WizSingleEntryUnzipEntry UnzipEntry();

}  // namespace unzip
