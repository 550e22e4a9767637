// The application folder as archive entries: every file and folder below it,
// folders before their contents, names in a stable sorted order.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace packer {

struct AppEntry {
    std::string name;  // UTF-8, "/" separators; a folder's ends in "/"
    std::filesystem::path source;
    bool directory = false;
    std::time_t modified = 0;  // seconds since 1970, UTC
};

// Trouble (an unreadable folder, a link to a folder, a device file) is a PackError.
std::vector<AppEntry> CollectAppTree(const std::filesystem::path& root);

// Writes every entry of `root` into the archive `zipFile`.
void WriteArchive(const std::filesystem::path& root, const std::filesystem::path& zipFile);

}  // namespace packer
