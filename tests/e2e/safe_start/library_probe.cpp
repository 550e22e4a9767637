// library_probe: loads a library by its bare name and prints the path it was
// loaded from. With "restricted" the program restricts its library search
// first, as setup.exe does; with "open" it does not, which shows that a
// planted library would otherwise be taken.
//
//   library_probe.exe restricted|open NAME
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "installer/win32/safe_start.h"
#include "platform/win32/handles.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: library_probe restricted|open NAME\n");
        return 2;
    }
    if (std::strcmp(argv[1], "restricted") == 0) {
        if (!installer::win32::RestrictLibrarySearch()) std::printf("search not restricted\n");
    }
    platform::win32::UniqueModule library(LoadLibraryA(argv[2]));
    if (!library) {
        std::printf("not loaded (error %lu)\n", GetLastError());
        return 0;
    }
    char path[MAX_PATH] = {};
    GetModuleFileNameA(library.get(), path, MAX_PATH);
    std::printf("loaded %s\n", path);
    return 0;
}
