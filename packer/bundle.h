// The single-file installer: the launcher program (setup-launcher.exe)
// followed by a package folder as its payload, a ZIP archive of the four
// files setup.exe needs beside itself. The launcher finds the archive after
// its image (launcher/pe_image.h); a signature added to the file afterwards
// goes after the archive and covers it.
#pragma once

#include <filesystem>

#include "packer/host.h"

namespace packer {

// Writes `output` from `launcher` and the package folder `packageDir`:
// Setup.ini, the archive its ZIPFILE line names, setup.exe and unzip32.dll,
// in that order. Refused, as a PackError: a launcher that carries anything
// after its image (a payload or a signature already), a Setup.ini without a
// ZIPFILE line naming a plain file, a file missing from the folder. The
// output is written whole or not at all.
void WriteSingleFile(const std::filesystem::path& launcher, const std::filesystem::path& packageDir,
                     const std::filesystem::path& output, Host& host);

}  // namespace packer
