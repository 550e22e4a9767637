// The application folder as archive entries: every file and folder below it,
// folders before their contents, names in a stable sorted order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace packer {

struct AppEntry {
    std::string name;  // UTF-8, "/" separators; a folder's ends in "/"
    std::filesystem::path source;
    bool directory = false;
    int64_t modified = 0;  // seconds since 1970, UTC
    uint64_t size = 0;     // of a file
    bool link = false;     // a file reached through a symbolic link: `source` is the link
};

// Trouble reading the folder is a PackError; a link to a folder, a broken
// link or a device file is one of kind Package.
std::vector<AppEntry> CollectAppTree(const std::filesystem::path& root);

}  // namespace packer
