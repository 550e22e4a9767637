// The single-file installer as `build --single-file` and `bundle` are asked
// for it: where it goes and the launcher it is made with, checked before
// anything is written, as every other option is.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "packer/base/findings.h"

namespace packer {

struct SingleFilePlan {
    std::filesystem::path output;    // FILE.exe
    std::filesystem::path launcher;  // setup-launcher.exe; empty when not found
    // Where the launcher was looked for (tool_files.h); empty when --launcher gave it.
    std::vector<std::filesystem::path> launcherLooked;
};

// A folder the single file must stay out of.
struct FolderKeptApart {
    std::filesystem::path folder;
    const char* name;  // "OUTDIR"
    const char* code;  // "single-file-inside-outdir"
    const char* why;   // "it would ship with the package folder"
};

// The refusals, each naming the file as `option` (--single-file, FILE.exe):
// a name without .exe (Windows opens nothing else as a program), a folder in
// its place or none to hold it, a place inside one of `apart`, a file it
// would overwrite while reading it (the launcher or one of `inputs`), and a
// launcher that is missing or is not the launcher as it was built.
std::vector<Finding> CheckSingleFilePlan(const SingleFilePlan& plan, const char* option,
                                         const std::vector<FolderKeptApart>& apart,
                                         const std::vector<std::filesystem::path>& inputs);

// A file the tool ships or builds with that is not there: the one `option`
// gave, or none in the places looked in (then every place is named).
std::vector<Finding> CheckToolFile(const std::filesystem::path& path, const std::vector<std::filesystem::path>& looked,
                                   const char* name, const char* option);

}  // namespace packer
