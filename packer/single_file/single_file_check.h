// Whether a single-file installer is what the launcher will read: a 32-bit
// Windows program whose payload the launcher's own reader finds, reads
// whole (sizes and CRCs) and finds to hold exactly the files packed. Run on
// the file as written and again on what the sign command leaves.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace packer {

struct PackedFile {
    std::string name;
    uint64_t size = 0;
    uint32_t crc = 0;
};

// What is wrong, as the end of a sentence about the file ("is not a
// Windows program: ..."); empty when nothing is.
std::string SingleFileProblem(const std::filesystem::path& file, const std::vector<PackedFile>& packed);

}  // namespace packer
