// Makes a single-file installer with the packager's writer, for the
// scenarios, until setup-pack offers it on its command line.
//   single_file.exe LAUNCHER PACKAGEDIR OUTPUT
#include <cstdio>

#include "packer/bundle.h"
#include "packer/pack_error.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: single_file LAUNCHER PACKAGEDIR OUTPUT\n");
        return 2;
    }
    try {
        packer::WriteSingleFile(argv[1], argv[2], argv[3], packer::SystemHost());
    } catch (const packer::PackError& error) {
        std::fprintf(stderr, "single_file: %s\n", error.what());
        return 2;
    }
    return 0;
}
