// The entry names of an archive, read from its central directory: enough to
// tell what lies at the archive's top level. Extraction itself is left to the
// unzip library.
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
    bool Encrypted() const;
};

struct Listing {
    std::vector<ListedEntry> entries;
    std::string problem;  // empty when the directory was read whole
};

// Reads the central directory of the archive held whole in `bytes`. Every
// length is checked against the bytes there are.
Listing ReadListing(std::string_view bytes);
Listing ReadListingOfFile(const std::filesystem::path& file);

}  // namespace packer
