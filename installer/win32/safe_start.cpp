#include "installer/win32/safe_start.h"

#include <windows.h>

namespace installer::win32 {

namespace {
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x00000800;
#endif
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
}  // namespace

bool RestrictLibrarySearch() {
    // kernel32 is always loaded; looking the function up keeps the program
    // starting on systems that lack it.
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto setDefault = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
                                   GetProcAddress(kernel, "SetDefaultDllDirectories")))
                             : nullptr;
    bool restricted = setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The empty text takes the current directory out of the classic order.
    SetDllDirectoryW(L"");
    return restricted;
}

}  // namespace installer::win32
