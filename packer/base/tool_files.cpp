#include "packer/base/tool_files.h"

#include <system_error>

#include "packer/base/text.h"

namespace packer {

namespace fs = std::filesystem;

std::vector<fs::path> WindowsProgramPlaces(const fs::path& toolFolder, const char* name) {
    std::vector<fs::path> places{toolFolder / name, (toolFolder / ".." / kInstalledProgramsFolder).lexically_normal() / name};
    if (toolFolder.filename() == "native" && toolFolder.parent_path().filename() == "dist") {
        places.push_back(toolFolder.parent_path() / "win32" / name);
    }
    return places;
}

std::vector<fs::path> LibraryPlaces(const fs::path& toolFolder, const char* name) {
    return {toolFolder / name, (toolFolder / ".." / kInstalledLibraryFolder).lexically_normal() / name};
}

ToolFile FindToolFile(const std::optional<fs::path>& given, const std::vector<fs::path>& places) {
    if (given) return {*given, {}};
    std::error_code error;
    for (const fs::path& place : places) {
        if (fs::is_regular_file(place, error)) return {place, places};
    }
    return {fs::path(), places};
}

std::string LookedFor(const std::vector<fs::path>& places) {
    std::string text = "looked for ";
    for (size_t i = 0; i < places.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == places.size() ? " and " : ", ") + QuotedPath(places[i]);
    }
    return text;
}

}  // namespace packer
