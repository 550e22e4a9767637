// What the tool takes from the system it runs on: the real file system, text
// conversion and library loading of the platform seam, and paths for the
// texts the installer works with.
#pragma once

#include <filesystem>
#include <string>

#include "platform/platform.h"

namespace packer {

struct Host {
    platform::FileSystem* files;
    platform::AnsiText* ansi;
    platform::Libraries* libraries;
    // The unzip library's file name on this system, for messages.
    const char* unzipLibraryFile;
    // Whether the error output is a terminal (progress is shown there).
    bool errorIsTerminal = false;

    // Between the installer's texts and paths: Windows paths are wide text
    // already; POSIX paths are the locale's bytes, and the "\" that the
    // installer joins folders with becomes "/".
    std::filesystem::path PathOf(const std::wstring& text) const;
    std::wstring TextOf(const std::filesystem::path& path) const;
    // A file in the folder of the tool's own program.
    std::filesystem::path BesideTool(const char* name) const { return PathOf(files->ProgramFolder()) / name; }
};

// The host of this process (host_posix.cpp, host_win32.cpp).
Host& SystemHost();

}  // namespace packer
