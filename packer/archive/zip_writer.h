// Our archive writer's records: entry names in UTF-8 (flagged when they are
// not plain ASCII), the extended timestamp beside the MS-DOS fields
// (dos_time.h), no Zip64. Entries are written in the order they are added;
// the data of a file comes from the caller, already deflated or stored.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "packer/archive/dos_time.h"
#include "packer/files/new_file.h"

namespace packer {

class ByteWriter;

class ZipWriter {
public:
    // Creates `file`, which must not exist (new_file.h). Trouble is a PackError.
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
    // Writes the central directory and the end record, then verifies the
    // whole file as read back from the disk against what was written.
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
    static void WriteSharedFields(ByteWriter& w, const CentralEntry& entry);
    static std::string LocalHeader(const CentralEntry& entry);
    void PatchLocalHeader(const CentralEntry& entry);
    // Bytes that are final as they are written, and their CRC-32 into the file's.
    void WriteFinal(std::string_view bytes);
    uint32_t Offset32(uint64_t offset) const;

    // The CRC-32 of a piece of a file's data, kept until its local header,
    // which comes before it, is final.
    struct Piece {
        uint32_t crc;
        size_t size;
    };

    std::filesystem::path file_;
    std::optional<NewFile> out_;
    uint32_t fileCrc_ = 0;  // of the file's bytes that are final
    std::vector<CentralEntry> entries_;
    bool open_ = false;  // a file's data is being written
    uint64_t dataStart_ = 0;
    std::vector<Piece> pieces_;  // of the open file's data
    bool finished_ = false;
};

}  // namespace packer
