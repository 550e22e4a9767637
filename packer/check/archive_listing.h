// The entry names of an archive, read from its central directory by the
// unzip library's own reader (Zip64, bytes before the archive): what the
// library will install. Only the directory is read, never the whole archive.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace packer {

struct ListedEntry {
    std::wstring name;  // "/" separators as stored; a folder's ends in "/"
    uint16_t flags = 0;
    bool directory = false;
    std::string notUtf8;  // the name's bytes, when they are marked as UTF-8 but are not
    bool Encrypted() const;
};

struct Listing {
    std::vector<ListedEntry> entries;
    std::string problem;  // empty when the directory was read whole
};

Listing ReadListing(std::string_view bytes);  // an archive held in memory
Listing ReadListingOfFile(const std::filesystem::path& file);

}  // namespace packer
