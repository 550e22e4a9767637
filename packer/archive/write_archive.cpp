#include "packer/archive/write_archive.h"

#include <zlib.h>

#include <thread>

#include "packer/archive/block_deflate.h"
#include "packer/archive/zip_writer.h"
#include "packer/base/pack_error.h"
#include "packer/base/text.h"

namespace packer {

namespace {

constexpr uint64_t kMaxSize = 0xFFFFFFFF;  // the 32-bit size fields, without Zip64
constexpr size_t kMaxEntries = 0xFFFF;     // the end record's 16-bit count

}  // namespace

std::string ArchiveLimitProblem(const std::vector<AppEntry>& entries) {
    for (const AppEntry& entry : entries) {
        if (!entry.directory && entry.size >= kMaxSize) {
            return QuotedPath(entry.source) + " is 4 GiB or larger, more than the archive can "
                   "hold without Zip64, which setup-pack does not write";
        }
    }
    if (entries.size() > kMaxEntries) {
        return "the application folder holds " + std::to_string(entries.size()) +
               " files and folders, more than the 65535 the archive can hold without Zip64";
    }
    return {};
}

void WriteArchive(const std::vector<AppEntry>& entries, const std::filesystem::path& zipFile,
                  const ArchiveOptions& options) {
    if (const std::string problem = ArchiveLimitProblem(entries); !problem.empty()) {
        throw PackError(problem, PackError::Kind::Package);
    }
    std::vector<FileToPack> files;
    for (const AppEntry& entry : entries) {
        if (!entry.directory) files.push_back({entry.source, entry.size});
    }
    ZipWriter writer(zipFile);
    BlockDeflater deflater(std::move(files),
                           options.threads ? options.threads : std::thread::hardware_concurrency());
    size_t filesDone = 0;
    uint64_t bytesDone = 0;
    for (const AppEntry& entry : entries) {
        const int64_t modified = options.modified.value_or(entry.modified);
        if (entry.directory) {
            writer.AddDirectory(entry.name, modified);
            continue;
        }
        writer.BeginFile(entry.name, modified);
        uLong crc = crc32(0, Z_NULL, 0);
        PackedBlock block;
        do {
            if (!deflater.Next(block)) throw PackError("the compressor ended before the files did");
            writer.WriteData(block.data);
            crc = crc32_combine(crc, block.crc, static_cast<z_off_t>(block.size));
            bytesDone += block.size;
            if (options.progress) options.progress->Advance(filesDone, bytesDone);
        } while (!block.last);
        writer.EndFile(block.method, static_cast<uint32_t>(crc), entry.size);
        ++filesDone;
    }
    writer.Finish();
    if (options.progress) options.progress->Advance(filesDone, bytesDone);
}

void WriteArchive(const std::filesystem::path& root, const std::filesystem::path& zipFile,
                  const ArchiveOptions& options) {
    WriteArchive(CollectAppTree(root), zipFile, options);
}

}  // namespace packer
