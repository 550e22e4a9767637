// Our archive writer: deflate through zlib, entry names in UTF-8 (flagged when
// they are not plain ASCII), MS-DOS timestamps, no Zip64. Entries are written
// in the order they are added.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "packer/dos_time.h"

namespace packer {

class ZipWriter {
public:
    // Creates (or empties) `file`. Trouble is a PackError.
    explicit ZipWriter(std::filesystem::path file);
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;
    // An archive never finished is removed: no half-written file stays behind.
    ~ZipWriter();

    // `name` is the entry's UTF-8 name with "/" separators; a directory's ends in "/".
    void AddDirectory(const std::string& name, DosTime modified);
    void AddFile(const std::string& name, const std::filesystem::path& source, DosTime modified);
    // Writes the central directory and the end record.
    void Finish();

private:
    struct CentralEntry {
        std::string name;
        uint16_t flags, method;
        DosTime modified;
        uint32_t crc, compressedSize, size, externalAttributes, localHeaderOffset;
    };

    void WriteLocalHeader(const CentralEntry& entry);
    void PatchLocalHeader(const CentralEntry& entry);
    uint64_t Deflate(const std::filesystem::path& source, uint32_t& crc, uint64_t& size);
    uint64_t Store(const std::filesystem::path& source, uint64_t expectedSize);
    void Write(const std::string& bytes);
    void Check(const char* what);
    uint32_t Offset32(uint64_t offset) const;

    std::filesystem::path file_;
    std::fstream out_;
    uint64_t end_ = 0;  // logical end of the archive so far
    std::vector<CentralEntry> entries_;
    bool finished_ = false;
};

}  // namespace packer
