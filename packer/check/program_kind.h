// Whether a file is the kind of Windows program a package ships: a 32-bit
// x86 (i386) PE image, a program (setup.exe, the launcher, the single file)
// or a library (unzip32.dll). Checked on what the tool is given, on what the
// sign command leaves, and by `check` on a package's files.
#pragma once

#include <filesystem>
#include <string>

#include "unzip32/reuse/zip_archive.h"

namespace packer {

enum class ProgramKind { Program, Library };

// What is wrong, as the end of a sentence about the file ("is not a
// Windows program: ..."); empty when it is such a file.
std::string ProgramKindProblem(uz::ArchiveInput& file, ProgramKind kind);
std::string ProgramFileProblem(const std::filesystem::path& file, ProgramKind kind);

}  // namespace packer
