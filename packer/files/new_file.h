// A file the tool writes: created so that it cannot be a link someone
// planted (system_file.h), every write checked, and before it may take its
// final name, flushed to the disk and read back whole. A file that fails
// any of this is a PackError; it is its folder's owner that removes it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "packer/files/system_file.h"

namespace packer {

// The CRC-32 of `bytes` following on from `crc` (0 to start).
uint32_t Crc32(uint32_t crc, std::string_view bytes);

class NewFile {
public:
    // Creates `path`, which must not exist.
    explicit NewFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }
    uint64_t size() const { return end_; }

    void Write(std::string_view bytes);                     // after what was written so far
    void WriteAt(uint64_t offset, std::string_view bytes);  // over bytes written before
    // Flushes it to the disk, where a full disk or a quota may show only
    // now, reads it back, which must give exactly size() bytes with the
    // CRC-32 `crc`, and closes it.
    void Finish(uint32_t crc);

private:
    std::filesystem::path path_;
    SystemFile file_;
    uint64_t end_ = 0;
};

// Writes `bytes` to the new file `path` and verifies it.
void WriteNewFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace packer
