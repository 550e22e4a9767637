// The package a single-file installer carries: a ZIP archive of setup.exe,
// unzip32.dll, Setup.ini and the application's archive, placed after the
// program image (pe_image.h). It is read with the unzip library's own reader
// (central directory, local headers, entry reader with its size and CRC
// checks); nothing else reads it.
//
// Every file is kept only once its size and CRC are right (NewFile::Keep),
// so a folder never holds a usable file that differs from what the publisher
// packed: by a path, it is written under a temporary name and takes its own
// name then; the launcher's own destination makes it under its name but
// shared with nobody and marked for deletion until then.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "unzip32/reuse/os.h"
#include "unzip32/reuse/zip_archive.h"

namespace launcher {

inline constexpr char kSetupProgram[] = "setup.exe";
inline constexpr char kSetupFile[] = "Setup.ini";
inline constexpr char kUnzipLibrary[] = "unzip32.dll";

// Whether the payload may carry a file of this UTF-8 name: one component
// that Windows keeps exactly as it is (no folder, drive, stream, reserved
// device name, trailing dot or blank, or character it refuses), and no
// longer than a name on its disks may be.
bool IsPayloadFileName(const std::string& name);

enum class PayloadStatus {
    Ok,
    Damaged,      // the payload is not what was packed (a cut or spoilt download)
    WriteFailed,  // a file could not be written
    Stopped,      // the caller stopped the unpacking
};

struct PayloadResult {
    PayloadStatus status = PayloadStatus::Ok;
    std::string detail;  // UTF-8: what is wrong, naming the file concerned
    bool ok() const { return status == PayloadStatus::Ok; }
};

// A file being unpacked. Dropped without Keep(), it is gone and leaves
// nothing behind.
class NewFile {
public:
    virtual ~NewFile() = default;
    virtual uz::os::Status Write(const uint8_t* data, size_t n) = 0;
    // Gives the file its own name; called once its size and CRC are right.
    virtual uz::os::Status Keep() = 0;
};

// Where the files go: a folder by its path (Unpack's second form), or
// however else the caller holds one.
class Destination {
public:
    virtual ~Destination() = default;
    // Starts the file that is to bear `name` (UTF-8, a payload file name):
    // until Keep() nobody finds it under that name.
    virtual uz::os::Status Create(const std::string& name, std::unique_ptr<NewFile>& file) = 0;
};

// Told the bytes unpacked so far, over all files, as they come out.
class Progress {
public:
    virtual ~Progress() = default;
    // False stops the unpacking.
    virtual bool Unpacked(uint64_t done) = 0;
};

class Payload {
public:
    // `program` is the program file holding the payload; it must outlive this object.
    explicit Payload(uz::ArchiveInput& program);
    ~Payload();
    Payload(const Payload&) = delete;
    Payload& operator=(const Payload&) = delete;

    // Finds the archive after the image and checks its directory: only plain
    // file names (no folders, no paths), each once, stored or deflated and
    // not encrypted, setup.exe and Setup.ini among them. Damaged otherwise.
    PayloadResult Open();

    size_t FileCount() const { return index_.entries.size(); }
    const std::string& FileName(size_t file) const { return index_.entries[file].name; }
    uint64_t FileSize(size_t file) const { return index_.entries[file].size; }
    uint32_t FileCrc(size_t file) const { return index_.entries[file].crc; }
    // The index of the file named `name` (compared as Windows does, without case).
    size_t Find(const char* name) const;
    uint64_t TotalSize() const { return totalSize_; }

    // Writes `file` into `destination` under its own name. A file that
    // fails leaves nothing behind.
    PayloadResult Unpack(size_t file, Destination& destination, Progress& progress);
    // The same into the folder `folder`, by its path.
    PayloadResult Unpack(size_t file, const uz::os::Path& folder, Progress& progress);
    // Reads `file` whole and checks its size and CRC as Unpack does, writing
    // nothing: whether the launcher would unpack it.
    PayloadResult Test(size_t file);

private:
    // Where `file`'s data starts, from its local header; Damaged when that
    // header is missing or its data reaches beyond its space.
    PayloadResult FindData(size_t file, uint64_t& dataOffset);

    uz::ArchiveInput& program_;
    std::unique_ptr<uz::ArchiveInput> archive_;
    uz::ArchiveIndex index_;
    std::vector<uz::EntrySpan> spans_;
    uint64_t totalSize_ = 0;
    uint64_t done_ = 0;
};

}  // namespace launcher
