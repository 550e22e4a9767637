#include "packer/archive/zip_writer.h"

#include <zlib.h>

#include <limits>
#include <optional>

#include "packer/base/byte_writer.h"
#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "unzip32/reuse/zip_archive.h"

namespace packer {

namespace zip = uz::zip;

namespace {

// Version 2.0 of the format: deflate and directory entries.
constexpr uint16_t kVersionNeeded = 20;
// Version made by: host MS-DOS (high byte 0), format version 2.0; the
// external attributes are then MS-DOS attributes, which is what Windows reads.
constexpr uint16_t kVersionMadeBy = (zip::kHostMsDos << 8) | kVersionNeeded;
constexpr uint32_t kDosFileAttributes = 0;  // an ordinary file
// Offsets inside the local header of the fields written after the data.
constexpr uint64_t kLocalMethodOffset = 8;
constexpr uint64_t kLocalCrcOffset = 14;  // crc-32, compressed size, size
constexpr size_t kMaxPiece = 1 << 24;      // bytes of data per CRC kept
constexpr uint32_t kMaxField32 = std::numeric_limits<uint32_t>::max();
constexpr size_t kMaxEntries = 0xFFFF;          // the end record's 16-bit count
// Extended timestamp: u8 flags (bit 0: the modification time follows), u32
// modification time; the central directory's copy holds the same.
constexpr uint16_t kExtendedTimeDataSize = 5;

bool IsAscii(const std::string& name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

ZipWriter::ZipWriter(std::filesystem::path file) : file_(std::move(file)) { out_.emplace(file_); }

ZipWriter::~ZipWriter() {
    if (finished_) return;
    // Closed first: Windows removes no file that is open without delete sharing.
    out_.reset();
    std::error_code ignored;
    std::filesystem::remove(file_, ignored);
}

void ZipWriter::WriteFinal(std::string_view bytes) {
    out_->Write(bytes);
    fileCrc_ = Crc32(fileCrc_, bytes);
}

uint32_t ZipWriter::Offset32(uint64_t offset) const {
    if (offset >= kMaxField32) {
        throw PackError("the archive grows past 4 GiB, which it cannot hold without Zip64");
    }
    return static_cast<uint32_t>(offset);
}

// The fields a local header and its central directory record share, in the
// order both hold them: version needed, flags, method, time, date, CRC-32,
// sizes, the lengths of the name and of the extra field.
void ZipWriter::WriteSharedFields(ByteWriter& w, const CentralEntry& e) {
    w.u16(kVersionNeeded);
    w.u16(e.flags);
    w.u16(e.method);
    w.u16(e.dosTime.time);
    w.u16(e.dosTime.date);
    w.u32(e.crc);
    w.u32(e.compressedSize);
    w.u32(e.size);
    w.u16(static_cast<uint16_t>(e.name.size()));
    w.u16(static_cast<uint16_t>(e.extra.size()));
}

std::string ZipWriter::LocalHeader(const CentralEntry& e) {
    ByteWriter w;
    w.u32(zip::kLocalHeaderSignature);
    WriteSharedFields(w, e);
    w.bytes(e.name);
    w.bytes(e.extra);
    return w.take();
}

// Method, crc and sizes are known only once the data is written.
void ZipWriter::PatchLocalHeader(const CentralEntry& e) {
    ByteWriter method;
    method.u16(e.method);
    ByteWriter sums;
    sums.u32(e.crc);
    sums.u32(e.compressedSize);
    sums.u32(e.size);
    out_->WriteAt(e.localHeaderOffset + kLocalMethodOffset, method.str());
    out_->WriteAt(e.localHeaderOffset + kLocalCrcOffset, sums.str());
}

ZipWriter::CentralEntry ZipWriter::Begin(const std::string& name, int64_t modified,
                                         uint16_t method, uint32_t externalAttributes) {
    if (open_) throw PackError("the archive writer got an entry inside another");
    if (entries_.size() >= kMaxEntries) throw PackError("more than 65535 entries in the archive");
    if (name.size() > 0xFFFF) throw PackError("name too long for the archive: " + name);
    ByteWriter extra;
    if (const std::optional<int32_t> seconds = ToUnixTime32(modified)) {
        extra.u16(zip::kExtraExtendedTime);
        extra.u16(kExtendedTimeDataSize);
        extra.u8(zip::kExtendedTimeHasMtime);
        extra.u32(static_cast<uint32_t>(*seconds));
    }
    return CentralEntry{name, static_cast<uint16_t>(IsAscii(name) ? 0 : zip::kFlagUtf8Names),
                        method, ToDosTime(modified), extra.take(), 0, 0, 0, externalAttributes,
                        Offset32(out_->size())};
}

void ZipWriter::AddDirectory(const std::string& name, int64_t modified) {
    CentralEntry e = Begin(name, modified, zip::kMethodStored, zip::kDosDirectory);
    WriteFinal(LocalHeader(e));
    entries_.push_back(std::move(e));
}

void ZipWriter::BeginFile(const std::string& name, int64_t modified) {
    CentralEntry e = Begin(name, modified, zip::kMethodDeflated, kDosFileAttributes);
    out_->Write(LocalHeader(e));  // final only in EndFile
    entries_.push_back(std::move(e));
    open_ = true;
    dataStart_ = out_->size();
    pieces_.clear();
}

void ZipWriter::WriteData(std::string_view bytes) {
    if (!open_) throw PackError("the archive writer got data outside a file");
    out_->Write(bytes);
    // crc32_combine counts in z_off_t, which may be 32 bits: pieces stay small.
    for (size_t at = 0; at < bytes.size(); at += kMaxPiece) {
        const std::string_view piece = bytes.substr(at, kMaxPiece);
        pieces_.push_back({Crc32(0, piece), piece.size()});
    }
}

void ZipWriter::EndFile(uint16_t method, uint32_t crc, uint64_t size) {
    if (!open_) throw PackError("the archive writer ended a file it had not begun");
    const uint64_t compressed = out_->size() - dataStart_;
    if (size >= kMaxField32 || compressed >= kMaxField32) {
        throw PackError("an entry of 4 GiB or more, which the archive cannot hold without Zip64");
    }
    CentralEntry& e = entries_.back();
    e.method = method;
    e.crc = crc;
    e.compressedSize = static_cast<uint32_t>(compressed);
    e.size = static_cast<uint32_t>(size);
    PatchLocalHeader(e);
    fileCrc_ = Crc32(fileCrc_, LocalHeader(e));
    for (const Piece& piece : pieces_)
        fileCrc_ = static_cast<uint32_t>(crc32_combine(fileCrc_, piece.crc, static_cast<z_off_t>(piece.size)));
    Offset32(out_->size());
    open_ = false;
}

void ZipWriter::Finish() {
    if (open_) throw PackError("the archive writer finished inside a file");
    const uint32_t directoryOffset = Offset32(out_->size());
    ByteWriter w;
    for (const CentralEntry& e : entries_) {
        w.u32(zip::kCentralHeaderSignature);
        w.u16(kVersionMadeBy);
        WriteSharedFields(w, e);
        w.u16(0);  // comment length
        w.u16(0);  // disk number start
        w.u16(0);  // internal attributes
        w.u32(e.externalAttributes);
        w.u32(e.localHeaderOffset);
        w.bytes(e.name);
        w.bytes(e.extra);
    }
    const uint32_t directorySize = Offset32(w.size());
    w.u32(zip::kEndOfDirSignature);
    w.u16(0);  // this disk
    w.u16(0);  // disk of the directory
    w.u16(static_cast<uint16_t>(entries_.size()));  // entries on this disk
    w.u16(static_cast<uint16_t>(entries_.size()));  // entries in total
    w.u32(directorySize);
    w.u32(directoryOffset);
    w.u16(0);  // comment length
    WriteFinal(w.str());
    Offset32(out_->size());
    out_->Finish(fileCrc_);
    finished_ = true;
}

}  // namespace packer
