// setup-pack: makes and checks installer packages.
#include <clocale>
#include <filesystem>
#include <iostream>
#include <vector>

#ifndef _WIN32
#include <langinfo.h>

#include <cstring>
#endif

#include "packer/base/host.h"
#include "packer/cli/command_line.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
    // File names and arguments are UTF-8 on Linux whatever the locale says,
    // and Setup.ini's bytes come from the code page given: under LANG=C the
    // tool reads them as UTF-8 all the same.
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
#endif
    std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
    return packer::RunCommandLine(arguments, packer::SystemHost(), std::cout, std::cerr);
}
