// `setup-pack check`: everything in a package folder that would go wrong at
// install time without the packager being told. Setup.ini goes through the
// installer's own reader (installer/setup_file.h) and a line-level look at its
// bytes; the archive through our unzip library in test mode and its names
// through the library's directory reader. `build` runs the same check on the
// package it is about to write, before it writes anything.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "packer/base/findings.h"
#include "packer/base/host.h"
#include "packer/check/archive_names.h"
#include "packer/check/code_page.h"

namespace packer {

inline constexpr char kSetupProgramFile[] = "setup.exe";
inline constexpr char kLibraryFile[] = "unzip32.dll";

// The files a package consists of: Setup.ini, the archive, setup.exe and
// unzip32.dll. Anything else in a package folder ships by mistake.
std::vector<std::wstring> PackageFileNames(std::wstring_view archiveName);

// Findings of Setup.ini first, by line, then those of the other files.
// `codePage` is the one of the computers the package installs on.
std::vector<Finding> CheckPackage(const std::filesystem::path& folder, Host& host,
                                  const CodePage& codePage);

// A package not written yet: the Setup.ini it will have and the names its
// archive will hold, found in `source` (for messages).
struct PlannedPackage {
    std::filesystem::path folder;
    std::string setupFile;
    std::vector<ArchiveName> names;
    std::string source;
};
std::vector<Finding> CheckPlannedPackage(const PlannedPackage& package, Host& host,
                                         const CodePage& codePage);

}  // namespace packer
