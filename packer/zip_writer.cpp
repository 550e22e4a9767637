#include "packer/zip_writer.h"

#include <zlib.h>

#include <array>
#include <limits>
#include <system_error>

#include "packer/pack_error.h"
#include "packer/text.h"
#include "unzip32/zip_format.h"

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
constexpr std::streamoff kLocalMethodOffset = 8;
constexpr std::streamoff kLocalCrcOffset = 14;  // crc-32, compressed size, size
constexpr uint32_t kMaxField32 = std::numeric_limits<uint32_t>::max();
constexpr size_t kMaxEntries = 0xFFFF;          // the end record's 16-bit count
constexpr size_t kChunk = 64 * 1024;

class ByteWriter {
public:
    void u16(uint16_t v) { for (int i = 0; i < 2; ++i) bytes_.push_back(static_cast<char>(v >> (8 * i))); }
    void u32(uint32_t v) { for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<char>(v >> (8 * i))); }
    void text(const std::string& s) { bytes_ += s; }
    const std::string& bytes() const { return bytes_; }

private:
    std::string bytes_;
};

bool IsAscii(const std::string& name) {
    for (char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// A raw deflate stream (no zlib header), released on every path.
class DeflateStream {
public:
    DeflateStream() {
        if (deflateInit2(&stream_, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                         Z_DEFAULT_STRATEGY) != Z_OK) {
            throw PackError("cannot start the deflate compressor");
        }
    }
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;
    ~DeflateStream() { deflateEnd(&stream_); }
    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
};

}  // namespace

ZipWriter::ZipWriter(std::filesystem::path file) : file_(std::move(file)) {
    out_.open(file_, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    if (!out_) throw PackError("cannot create " + QuotedPath(file_));
}

ZipWriter::~ZipWriter() {
    if (finished_) return;
    out_.close();
    std::error_code ignored;
    std::filesystem::remove(file_, ignored);
}

void ZipWriter::Check(const char* what) {
    if (!out_) throw PackError(std::string("cannot ") + what + " " + QuotedPath(file_));
}

void ZipWriter::Write(const std::string& bytes) {
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check("write");
    end_ += bytes.size();
}

uint32_t ZipWriter::Offset32(uint64_t offset) const {
    if (offset >= kMaxField32) {
        throw PackError("the archive grows past 4 GiB, which it cannot hold without Zip64");
    }
    return static_cast<uint32_t>(offset);
}

void ZipWriter::WriteLocalHeader(const CentralEntry& e) {
    ByteWriter w;
    w.u32(zip::kLocalHeaderSignature);
    w.u16(kVersionNeeded);
    w.u16(e.flags);
    w.u16(e.method);
    w.u16(e.modified.time);
    w.u16(e.modified.date);
    w.u32(e.crc);
    w.u32(e.compressedSize);
    w.u32(e.size);
    w.u16(static_cast<uint16_t>(e.name.size()));
    w.u16(0);  // extra field length
    w.text(e.name);
    Write(w.bytes());
}

// Method, crc and sizes are known only once the data is written.
void ZipWriter::PatchLocalHeader(const CentralEntry& e) {
    ByteWriter method;
    method.u16(e.method);
    ByteWriter sums;
    sums.u32(e.crc);
    sums.u32(e.compressedSize);
    sums.u32(e.size);
    out_.seekp(static_cast<std::streamoff>(e.localHeaderOffset) + kLocalMethodOffset);
    out_.write(method.bytes().data(), 2);
    out_.seekp(static_cast<std::streamoff>(e.localHeaderOffset) + kLocalCrcOffset);
    out_.write(sums.bytes().data(), 12);
    out_.seekp(static_cast<std::streamoff>(end_));
    Check("write");
}

void ZipWriter::AddDirectory(const std::string& name, DosTime modified) {
    if (entries_.size() >= kMaxEntries) throw PackError("more than 65535 entries in the archive");
    if (name.size() > 0xFFFF) throw PackError("name too long for the archive: " + name);
    CentralEntry e{name, static_cast<uint16_t>(IsAscii(name) ? 0 : zip::kFlagUtf8Names),
                   zip::kMethodStored, modified, 0, 0, 0, zip::kDosDirectory, Offset32(end_)};
    WriteLocalHeader(e);
    entries_.push_back(e);
}

uint64_t ZipWriter::Deflate(const std::filesystem::path& source, uint32_t& crc, uint64_t& size) {
    std::ifstream in(source, std::ios::binary);
    if (!in) throw PackError("cannot read " + QuotedPath(source));
    DeflateStream deflater;
    z_stream* z = deflater.get();
    std::array<char, kChunk> input{};
    std::array<char, kChunk> output{};
    uint64_t written = 0;
    crc = static_cast<uint32_t>(crc32(0, Z_NULL, 0));
    size = 0;
    int flush = Z_NO_FLUSH;
    do {
        in.read(input.data(), input.size());
        const auto got = static_cast<uInt>(in.gcount());
        if (in.bad()) throw PackError("cannot read " + QuotedPath(source));
        crc = static_cast<uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(input.data()), got));
        size += got;
        flush = in.eof() ? Z_FINISH : Z_NO_FLUSH;
        z->next_in = reinterpret_cast<Bytef*>(input.data());
        z->avail_in = got;
        do {
            z->next_out = reinterpret_cast<Bytef*>(output.data());
            z->avail_out = static_cast<uInt>(output.size());
            if (deflate(z, flush) == Z_STREAM_ERROR) throw PackError("deflate failed");
            const size_t produced = output.size() - z->avail_out;
            Write(std::string(output.data(), produced));
            written += produced;
        } while (z->avail_out == 0);
    } while (flush != Z_FINISH);
    return written;
}

uint64_t ZipWriter::Store(const std::filesystem::path& source, uint64_t expectedSize) {
    std::ifstream in(source, std::ios::binary);
    if (!in) throw PackError("cannot read " + QuotedPath(source));
    std::array<char, kChunk> buffer{};
    uint64_t copied = 0;
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0) {
        Write(std::string(buffer.data(), static_cast<size_t>(in.gcount())));
        copied += static_cast<uint64_t>(in.gcount());
    }
    if (in.bad() || copied != expectedSize) {
        throw PackError(QuotedPath(source) + " changed while it was being packed");
    }
    return copied;
}

void ZipWriter::AddFile(const std::string& name, const std::filesystem::path& source,
                        DosTime modified) {
    if (entries_.size() >= kMaxEntries) throw PackError("more than 65535 entries in the archive");
    if (name.size() > 0xFFFF) throw PackError("name too long for the archive: " + name);
    CentralEntry e{name, static_cast<uint16_t>(IsAscii(name) ? 0 : zip::kFlagUtf8Names),
                   zip::kMethodDeflated, modified, 0, 0, 0, kDosFileAttributes, Offset32(end_)};
    WriteLocalHeader(e);
    const uint64_t dataStart = end_;
    uint32_t crc = 0;
    uint64_t size = 0;
    uint64_t compressed = Deflate(source, crc, size);
    if (size >= kMaxField32) {
        throw PackError(QuotedPath(source) + " is 4 GiB or larger, more than the archive can hold");
    }
    if (compressed >= size) {
        // Data that does not shrink is stored as it is. The archive is cut to
        // its logical end in Finish, so the longer deflated bytes leave nothing.
        out_.seekp(static_cast<std::streamoff>(dataStart));
        end_ = dataStart;
        e.method = zip::kMethodStored;
        compressed = Store(source, size);
    }
    e.crc = crc;
    e.compressedSize = static_cast<uint32_t>(compressed);
    e.size = static_cast<uint32_t>(size);
    PatchLocalHeader(e);
    Offset32(end_);
    entries_.push_back(e);
}

void ZipWriter::Finish() {
    const uint32_t directoryOffset = Offset32(end_);
    ByteWriter w;
    for (const CentralEntry& e : entries_) {
        w.u32(zip::kCentralHeaderSignature);
        w.u16(kVersionMadeBy);
        w.u16(kVersionNeeded);
        w.u16(e.flags);
        w.u16(e.method);
        w.u16(e.modified.time);
        w.u16(e.modified.date);
        w.u32(e.crc);
        w.u32(e.compressedSize);
        w.u32(e.size);
        w.u16(static_cast<uint16_t>(e.name.size()));
        w.u16(0);  // extra field length
        w.u16(0);  // comment length
        w.u16(0);  // disk number start
        w.u16(0);  // internal attributes
        w.u32(e.externalAttributes);
        w.u32(e.localHeaderOffset);
        w.text(e.name);
    }
    const uint32_t directorySize = Offset32(w.bytes().size());
    w.u32(zip::kEndOfDirSignature);
    w.u16(0);  // this disk
    w.u16(0);  // disk of the directory
    w.u16(static_cast<uint16_t>(entries_.size()));  // entries on this disk
    w.u16(static_cast<uint16_t>(entries_.size()));  // entries in total
    w.u32(directorySize);
    w.u32(directoryOffset);
    w.u16(0);  // comment length
    Write(w.bytes());
    Offset32(end_);
    out_.close();
    if (out_.fail()) throw PackError("cannot write " + QuotedPath(file_));
    std::error_code error;
    std::filesystem::resize_file(file_, end_, error);
    if (error) throw PackError("cannot write " + QuotedPath(file_) + ": " + error.message());
    finished_ = true;
}

}  // namespace packer
