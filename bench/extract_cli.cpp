// The benchmark's driver: extracts one archive through libunzip32.so, with
// the installer's options, printing only errors.
#include <cstdio>

#include "unzip32.h"

static int32_t Print(const char* text, int32_t length) {
    std::fwrite(text, 1, static_cast<size_t>(length), stderr);
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ARCHIVE FOLDER\n", argv[0]);
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
    return Wiz_SingleEntryUnzip(0, none, 0, none, &options, &callbacks);
}
