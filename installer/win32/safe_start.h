// Safe start: restricts where this process loads libraries from.
//
// An installer usually runs from a download folder that anyone may have put a
// version.dll or uxtheme.dll into. Once restricted, libraries named without a
// path load from the system folder only; a library of our own (unzip32.dll)
// must then be loaded by its full path.
#pragma once

namespace installer::win32 {

// Call first thing in the program, before anything can load a library.
// Returns false when the system cannot restrict the search to the system
// folder (an unpatched Windows 7); the current directory is dropped anyway.
bool RestrictLibrarySearch();

}  // namespace installer::win32
