// The single-file installer: the launcher program (setup-launcher.exe)
// followed by a package folder as its payload, a ZIP archive of the four
// files setup.exe needs beside itself. The launcher finds the archive after
// its image (launcher/pe_image.h); a signature added to the file afterwards
// goes after the archive and covers it.
#pragma once

#include <filesystem>
#include <string>

#include "packer/base/host.h"
#include "packer/sign/sign_command.h"
#include "packer/single_file/identity.h"

namespace packer {

inline constexpr char kLauncherFile[] = "setup-launcher.exe";

// How the single file's programs are signed, when they are.
struct SingleFileSigning {
    const SignCommand* command = nullptr;
    // The package's setup.exe and unzip32.dll are signed already (build has
    // just signed them); otherwise copies of them are signed before they go in.
    bool programsSigned = false;
};

// Writes `output` from `launcher` and the package folder `packageDir`:
// Setup.ini, the archive its ZIPFILE line names, setup.exe and unzip32.dll,
// in that order. Refused, as a PackError: a launcher that is not a 32-bit
// x86 program or carries anything after its image (a payload or a signature
// already), a Setup.ini without a ZIPFILE line naming a plain file, a file
// missing from the folder. With an identity, a copy of the launcher carries
// it (single_file/brand_launcher.h). The payload's entries carry the time of
// the application archive's newest entry, so that the file depends on its
// inputs alone. The file is made in a private folder beside `output`
// (file_ops.h), its checksum made, read back, and with a sign command signed
// there, after the signed programs are inside it; then it must still be a
// program whose payload the launcher reads whole (single_file_check.h). Only
// then does it take its name: the output is written (and signed) whole or
// not at all; the package folder is only read.
void WriteSingleFile(const std::filesystem::path& launcher, const std::filesystem::path& packageDir,
                     const std::filesystem::path& output, Host& host, const SingleFileSigning& signing = {},
                     const single_file::Identity* identity = nullptr);

// Why `launcher` cannot make a single file (not the launcher program, or one
// with something after its image); empty when it can.
std::string LauncherProblem(const std::filesystem::path& launcher);

}  // namespace packer
