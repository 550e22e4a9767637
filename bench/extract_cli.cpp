// The benchmark's driver: extracts one archive through the unzip library
// (libunzip32.so, or unzip32.dll beside it under Wine), with the installer's
// options, printing only errors; with --time, also the seconds the call took.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "unzip32/unzip32.h"
#ifdef _WIN32
#include <windows.h>
#endif

static int32_t UZ_CALL Print(const char* text, int32_t length) {
    std::fwrite(text, 1, static_cast<size_t>(length), stderr);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::strcmp(argv[3], "--time") == 0)) {
        std::fprintf(stderr, "usage: %s ARCHIVE FOLDER [--time]\n", argv[0]);
        return 2;
    }
    UnzipOptionsRecord options{};
    options.MessageLevel = 2;
    options.HonorDirectories = 1;
    options.OverWriteFiles = 1;
    options.CaseSensitive = 1;
    options.ZipFileName = argv[1];
    options.ExtractDir = argv[2];
    UnzipCallbackRecord callbacks{};
    callbacks.print = Print;
    UnzipNameList none{};
#ifdef _WIN32
    // As setup.exe finds it: unzip32.dll from the driver's folder, the entry
    // point by its undecorated name.
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dll(self, length);
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"unzip32.dll";
    const HMODULE library = LoadLibraryW(dll.c_str());
    const auto unzip = library ? reinterpret_cast<decltype(&Wiz_SingleEntryUnzip)>(
                                     reinterpret_cast<void*>(GetProcAddress(library, "Wiz_SingleEntryUnzip")))
                               : nullptr;
    if (!unzip) {
        std::fprintf(stderr, "cannot load unzip32.dll beside the driver\n");
        return 2;
    }
#else
    const auto unzip = &Wiz_SingleEntryUnzip;
#endif
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = unzip(0, none, 0, none, &options, &callbacks);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (argc == 4) std::printf("%.3f\n", took.count());
    return result;
}
