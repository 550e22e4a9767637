// What the tool takes from the system it runs on: the real file system, text
// conversion and library loading of the platform seam, and paths for the
// texts the installer works with.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "packer/base/tool_files.h"
#include "platform/platform.h"

namespace packer {

struct Host {
    platform::FileSystem* files;
    platform::AnsiText* ansi;
    platform::Libraries* libraries;
    // The unzip library's file name on this system.
    const char* unzipLibraryFile;
    // Whether the error output is a terminal (progress is shown there).
    bool errorIsTerminal = false;

    // Between the installer's texts and paths: Windows paths are wide text
    // already; POSIX paths are the locale's bytes, and the "\" that the
    // installer joins folders with becomes "/".
    std::filesystem::path PathOf(const std::wstring& text) const;
    std::wstring TextOf(const std::filesystem::path& path) const;
    // The folder of the tool's own program.
    std::filesystem::path ToolFolder() const { return PathOf(files->ProgramFolder()); }
    // A Windows program the tool ships: the one `given`, else the one found
    // in its places; and the unzip library the tool loads (tool_files.h).
    ToolFile WindowsProgram(const std::optional<std::filesystem::path>& given, const char* name) const {
        return FindToolFile(given, WindowsProgramPlaces(ToolFolder(), name));
    }
    ToolFile UnzipLibrary() const { return FindToolFile(std::nullopt, LibraryPlaces(ToolFolder(), unzipLibraryFile)); }
};

// The unzip library where the host finds it (host_posix.cpp, host_win32.cpp):
// 48, naming the file, when no place holds it or it does not load.
class ToolLibraries final : public platform::Libraries {
public:
    explicit ToolLibraries(const Host& host) : host_(host) {}
    std::unique_ptr<platform::Library> LoadFromProgramFolder(const std::wstring& name) override;

private:
    const Host& host_;
};

// The host of this process (host_posix.cpp, host_win32.cpp).
Host& SystemHost();

}  // namespace packer
