// Finding and reading the central directory: the end record (with its Zip64
// variant), bytes before the archive (a self-extracting stub) or after it,
// and every entry, each length checked against the archive's real size.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "unzip32/format/archive_input.h"
#include "unzip32/format/entry.h"

namespace uz {

enum class DirectoryError {
    None,
    NotZip,        // no end record: not an archive, or cut short before its end
    Truncated,     // the directory reaches beyond the end of the file
    Corrupt,       // the directory's records are malformed
    MultiDisk,     // split or spanned archive
};

struct ArchiveIndex {
    std::vector<Entry> entries;
    std::string comment;          // raw bytes of the archive comment
    uint64_t directoryOffset = 0; // where the directory really starts
    uint64_t prefixSize = 0;      // bytes before the archive's own offset 0
    // The end record's entry count when the directory holds a different
    // number of records: every record is read all the same, and the reader's
    // caller says that the two disagree. A count lower by a multiple of 65536
    // in the 16-bit field of an archive without Zip64 records is that field
    // wrapped around, not a disagreement.
    std::optional<uint64_t> disagreeingCount;
};

struct DirectoryResult {
    DirectoryError error = DirectoryError::None;
    std::string detail;           // what was wrong, for the message
};

DirectoryResult ReadCentralDirectory(ArchiveInput& input, ArchiveIndex& index);

// Where an entry's stored data begins, from its local header. Fails when the
// header is missing, malformed or reaches past `limit`.
struct LocalHeader {
    uint64_t dataOffset = 0;
    uint16_t flags = 0;
    uint16_t dosTime = 0;
};
bool ReadLocalHeader(ArchiveInput& input, const Entry& entry, uint64_t limit, LocalHeader& header,
                     std::string& problem);

}  // namespace uz
