// The application folder's entries into the package's archive: the records
// by ZipWriter, the files' data deflated on every core by BlockDeflater.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "packer/archive/app_tree.h"
#include "packer/base/progress.h"

namespace packer {

struct ArchiveOptions {
    // Every entry's time (seconds since 1970, UTC) instead of the files' own:
    // the archive then depends on the files' names and contents alone.
    std::optional<int64_t> modified;
    unsigned threads = 0;  // 0: one per core
    Progress* progress = nullptr;
};

// What the archive cannot hold, found before anything is compressed: a file
// of 4 GiB or more, more than 65535 entries. Empty when it holds them all.
std::string ArchiveLimitProblem(const std::vector<AppEntry>& entries);

// Writes `entries` into the archive `zipFile`. Trouble is a PackError, and
// then no archive is left behind.
void WriteArchive(const std::vector<AppEntry>& entries, const std::filesystem::path& zipFile,
                  const ArchiveOptions& options = {});
// Every entry of the folder `root`.
void WriteArchive(const std::filesystem::path& root, const std::filesystem::path& zipFile,
                  const ArchiveOptions& options = {});

}  // namespace packer
