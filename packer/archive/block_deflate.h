// Deflating the files of an archive on several threads.
//
// Each file is cut into blocks of kBlockSize. A block after the first is
// deflated with the 32 KiB before it as its dictionary, and every block but a
// file's last ends with a sync flush, so that the blocks' output joined is one
// deflate stream, nearly as small as the file deflated at once. A file of one
// block is stored when deflating it does not save 1 %: its bytes are at hand.
// A larger file is first tried in small samples spread over it (the fastest
// level, a few percent of its first block's work): when none of them shrinks,
// the whole file is stored without being deflated. The output depends on the
// files alone, never on the number of threads.
//
// Blocks come back on the caller's thread in the files' order. Workers run at
// most a few blocks each ahead of the caller, so memory stays bounded
// whatever the files' sizes. A worker's failure (a file that cannot be read,
// or changes size while it is read) comes back as a PackError from Next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace packer {

struct FileToPack {
    std::filesystem::path source;
    uint64_t size = 0;  // as listed: the file must still have it when read
};

struct PackedBlock {
    size_t file = 0;      // index in the list given
    bool last = false;    // the file's last block
    uint16_t method = 0;  // the file's method (stored or deflated), for all its blocks
    std::string data;     // what goes into the archive
    uint32_t crc = 0;     // CRC-32 of the block's own bytes
    uint64_t size = 0;    // the block's own size
};

class BlockDeflater {
public:
    static constexpr size_t kBlockSize = 512 * 1024;

    // Starts `threads` workers (at least one).
    BlockDeflater(std::vector<FileToPack> files, unsigned threads);
    BlockDeflater(const BlockDeflater&) = delete;
    BlockDeflater& operator=(const BlockDeflater&) = delete;
    // Stops the workers and waits for them.
    ~BlockDeflater();

    // The next block in order; false after the last file's last block.
    bool Next(PackedBlock& block);

private:
    void Stop();

    struct Shared;
    std::unique_ptr<Shared> shared_;
};

}  // namespace packer
