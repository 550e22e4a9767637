// Our archive writer's records: entry names in UTF-8 (flagged when they are
// not plain ASCII), the extended timestamp beside the MS-DOS fields
// (dos_time.h), no Zip64. Entries are written in the order they are added;
// the data of a file comes from the caller, already deflated or stored.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
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

    // `name` is the entry's UTF-8 name with "/" separators; a directory's
    // ends in "/". `modified` is in seconds since 1970, UTC.
    void AddDirectory(const std::string& name, int64_t modified);
    // A file: its header, its data in any number of pieces, then the method,
    // the CRC-32 and the size of the data before compression.
    void BeginFile(const std::string& name, int64_t modified);
    void WriteData(std::string_view bytes);
    void EndFile(uint16_t method, uint32_t crc, uint64_t size);
    // Writes the central directory and the end record.
    void Finish();

private:
    struct CentralEntry {
        std::string name;
        uint16_t flags, method;
        DosTime dosTime;
        std::string extra;  // the same fields in both headers
        uint32_t crc, compressedSize, size, externalAttributes, localHeaderOffset;
    };

    CentralEntry Begin(const std::string& name, int64_t modified, uint16_t method,
                       uint32_t externalAttributes);
    void WriteLocalHeader(const CentralEntry& entry);
    void PatchLocalHeader(const CentralEntry& entry);
    void Write(std::string_view bytes);
    void Check(const char* what);
    uint32_t Offset32(uint64_t offset) const;

    std::filesystem::path file_;
    std::fstream out_;
    uint64_t end_ = 0;  // logical end of the archive so far
    std::vector<CentralEntry> entries_;
    bool open_ = false;  // a file's data is being written
    uint64_t dataStart_ = 0;
    bool finished_ = false;
};

}  // namespace packer
