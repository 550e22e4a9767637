// Where setup-pack finds its own files when no option names them: the three
// Windows programs it ships (setup.exe, unzip32.dll, setup-launcher.exe) and
// the unzip library it loads to test archives. Each is looked for in a few
// places relative to the folder of the tool's own program, in this order, so
// that the tool works wherever it was unpacked or installed, from any
// current folder:
//   the Windows programs  beside the tool (setup-pack.exe's folder);
//                         ../share/setup-pack/win32 (installed: bin/ beside share/);
//                         ../win32 when the tool lies in dist/native (a checkout)
//   the unzip library     beside the tool; ../lib/setup-pack (installed)
// Each file is taken from the first place that holds it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace packer {

// The installed layout, below the prefix that holds bin/setup-pack.
inline constexpr char kInstalledProgramsFolder[] = "share/setup-pack/win32";
inline constexpr char kInstalledLibraryFolder[] = "lib/setup-pack";

// The places, in order, where a Windows program `name` or the library is looked for.
std::vector<std::filesystem::path> WindowsProgramPlaces(const std::filesystem::path& toolFolder, const char* name);
std::vector<std::filesystem::path> LibraryPlaces(const std::filesystem::path& toolFolder, const char* name);

struct ToolFile {
    std::filesystem::path path;                // given or found; empty when no place holds it
    std::vector<std::filesystem::path> looked;  // the places looked in; empty when an option gave it
};

// The path an option gives, as it is; else the first of `places` that holds a file.
ToolFile FindToolFile(const std::optional<std::filesystem::path>& given,
                      const std::vector<std::filesystem::path>& places);

// "looked for A, B and C", for a message.
std::string LookedFor(const std::vector<std::filesystem::path>& places);

}  // namespace packer
