// `setup-pack check`: everything in a package folder that would go wrong at
// install time without the packager being told. Setup.ini goes through the
// installer's own reader (installer/setup_file.h) and a line-level look at its
// bytes; the archive through our unzip library in test mode.
#pragma once

#include <filesystem>
#include <vector>

#include "packer/findings.h"
#include "packer/host.h"

namespace packer {

inline constexpr char kSetupProgramFile[] = "setup.exe";
inline constexpr char kLibraryFile[] = "unzip32.dll";

// Findings of Setup.ini first, by line, then those of the other files.
std::vector<Finding> CheckPackage(const std::filesystem::path& folder, Host& host);

}  // namespace packer
