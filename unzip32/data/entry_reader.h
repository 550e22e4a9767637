// Streams one entry's data out of the archive: reads the stored bytes in
// fixed chunks, decrypts them, inflates them straight into the room an output
// stage gives, checks the output against the declared size as it grows and
// the CRC at the end. Memory use is the fixed buffers, whatever the entry size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "unzip32/data/output_stage.h"
#include "unzip32/format/archive_input.h"
#include "unzip32/format/entry.h"
#include "unzip32/format/zip_crypto.h"

namespace uz {

enum class DataError {
    None,
    Truncated,    // the stored data ends before the archive says it does
    Corrupt,      // the compressed data is malformed
    TooLong,      // more output than the declared size
    TooShort,     // less output than the declared size
    BadCrc,
    SinkFailed,   // the sink refused (write error, disk full)
};

struct DataOutcome {
    DataError error = DataError::None;
    std::string detail;
};

class EntryReader {
public:
    EntryReader();
    ~EntryReader();
    EntryReader(const EntryReader&) = delete;
    EntryReader& operator=(const EntryReader&) = delete;

    // `dataOffset` is where the stored bytes begin (after the encryption
    // header, if any, which `crypto` has already accepted); `storedSize` how
    // many there are. A failure of the sink on output delivered before a
    // data error is found is reported rather than that error, as it came
    // first in the data.
    DataOutcome read(ArchiveInput& input, const Entry& entry, uint64_t dataOffset, uint64_t storedSize,
                     ZipCrypto* crypto, OutputStage& stage);
    // The same with the sink called on this thread.
    DataOutcome read(ArchiveInput& input, const Entry& entry, uint64_t dataOffset, uint64_t storedSize,
                     ZipCrypto* crypto, EntrySink& sink);

private:
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
    std::vector<uint8_t> in_;
    std::vector<uint8_t> out_;
};

}  // namespace uz
