// Writes small ZIP archives for the tests: stored entries, optionally under
// the traditional PKWARE encryption.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace extraction_test {

struct ZipEntry {
    std::string name;      // "dir/" for a folder
    std::string data;
    std::string password;  // empty: not encrypted
};

std::string MakeZip(const std::vector<ZipEntry>& entries);

}  // namespace extraction_test
