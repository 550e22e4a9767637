// setup-pack: makes and checks installer packages.
#include <clocale>
#include <filesystem>
#include <iostream>
#include <vector>

#include "packer/command_line.h"
#include "packer/host.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
    // The locale's encoding stands for the ANSI code page of the texts.
    std::setlocale(LC_ALL, "");
#endif
    std::vector<std::filesystem::path> arguments(argv + 1, argv + argc);
    return packer::RunCommandLine(arguments, packer::SystemHost(), std::cout, std::cerr);
}
