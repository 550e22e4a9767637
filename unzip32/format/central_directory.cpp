#include "unzip32/format/central_directory.h"

#include <algorithm>

#include "unzip32/format/byte_reader.h"
#include "unzip32/format/extra_fields.h"
#include "unzip32/format/text_encoding.h"

namespace uz {
namespace {

// The end record may be followed by a comment of up to 64 KiB, and some
// archives carry a little junk after that; this is how far back we look.
constexpr uint64_t kEndSearchWindow = zip::kEndOfDirSize + zip::kMaxCommentSize + 64 * 1024;

// Directory records are read through a window of this many bytes.
constexpr size_t kDirectoryChunk = 64 * 1024;

struct EndRecord {
    uint64_t position = 0;      // of its signature
    uint64_t entries = 0;
    uint64_t directorySize = 0;
    uint64_t directoryOffset = 0;
    uint64_t directoryEnd = 0;  // where the directory must end: the end record or the Zip64 record
    bool multiDisk = false;
    bool zip64 = false;         // the values come from the Zip64 record
    std::string comment;
};

bool FindEndRecord(ArchiveInput& input, EndRecord& end) {
    const uint64_t size = input.size();
    if (size < zip::kEndOfDirSize) return false;
    const uint64_t start = size > kEndSearchWindow ? size - kEndSearchWindow : 0;
    std::string window(static_cast<size_t>(size - start), '\0');
    if (!input.readExact(start, reinterpret_cast<uint8_t*>(window.data()), window.size())) return false;
    // The last signature whose comment ends exactly at the end of the file;
    // failing that (bytes after the archive), the last whose comment fits.
    // A signature inside a comment rarely passes the first test.
    for (const bool exact : {true, false}) {
        for (size_t i = window.size() - zip::kEndOfDirSize + 1; i-- > 0;) {
            ByteReader r(std::string_view(window).substr(i));
            if (r.u32() != zip::kEndOfDirSignature) continue;
            const uint16_t disk = r.u16();
            const uint16_t directoryDisk = r.u16();
            const uint16_t entriesHere = r.u16();
            const uint16_t entries = r.u16();
            const uint32_t directorySize = r.u32();
            const uint32_t directoryOffset = r.u32();
            const uint16_t commentLength = r.u16();
            if (!r.has(commentLength) || (exact && r.remaining() != commentLength)) continue;
            end.position = start + i;
            end.entries = entries;
            end.directorySize = directorySize;
            end.directoryOffset = directoryOffset;
            end.directoryEnd = end.position;
            end.multiDisk = disk != 0 || directoryDisk != 0 || entriesHere != entries;
            end.comment = std::string(r.bytes(commentLength));
            return true;
        }
    }
    return false;
}

// Replaces the 16/32-bit values with those of the Zip64 end record, when the
// locator right before the end record points to one.
DirectoryResult ApplyZip64End(ArchiveInput& input, EndRecord& end) {
    if (end.position < zip::kZip64LocatorSize) return {};
    uint8_t locator[zip::kZip64LocatorSize];
    const uint64_t locatorAt = end.position - zip::kZip64LocatorSize;
    if (!input.readExact(locatorAt, locator, sizeof locator)) return {};
    ByteReader l(locator, sizeof locator);
    if (l.u32() != zip::kZip64LocatorSignature) return {};
    const uint32_t recordDisk = l.u32();
    uint64_t recordAt = l.u64();
    const uint32_t disks = l.u32();
    if (recordDisk != 0 || disks > 1) return {DirectoryError::MultiDisk, "the archive spans several disks"};

    uint8_t record[zip::kZip64EndOfDirSize];
    const auto isRecord = [&](uint64_t at) {
        return at <= locatorAt && input.readExact(at, record, sizeof record) &&
               ByteReader(record, 4).u32() == zip::kZip64EndOfDirSignature;
    };
    // With a prefix the stored offset is short by the prefix size; the record
    // normally sits right before the locator.
    if (!isRecord(recordAt)) {
        if (locatorAt < zip::kZip64EndOfDirSize || !isRecord(locatorAt - zip::kZip64EndOfDirSize))
            return {DirectoryError::Corrupt, "the Zip64 end of central directory record is missing"};
        recordAt = locatorAt - zip::kZip64EndOfDirSize;
    }
    ByteReader r(record + 4, sizeof record - 4);
    r.skip(8 + 2 + 2);  // record size, version made by, version needed
    const uint32_t disk = r.u32();
    const uint32_t directoryDisk = r.u32();
    const uint64_t entriesHere = r.u64();
    const uint64_t entries = r.u64();
    const uint64_t directorySize = r.u64();
    const uint64_t directoryOffset = r.u64();
    end.multiDisk = disk != 0 || directoryDisk != 0 || entriesHere != entries;
    end.entries = entries;
    end.directorySize = directorySize;
    end.directoryOffset = directoryOffset;
    end.directoryEnd = recordAt;
    end.zip64 = true;
    return {};
}

// Reads central directory records one by one through a bounded window.
class DirectoryCursor {
public:
    DirectoryCursor(ArchiveInput& input, uint64_t start, uint64_t end) : input_(input), pos_(start), end_(end) {}

    // Makes n bytes at the cursor available; false when they pass the end.
    bool need(size_t n) {
        if (n > end_ - pos_) return false;
        if (pos_ >= bufferAt_ && pos_ + n <= bufferAt_ + buffer_.size()) return true;
        const size_t want = static_cast<size_t>(std::min<uint64_t>(std::max(n, kDirectoryChunk), end_ - pos_));
        buffer_.resize(want);
        bufferAt_ = pos_;
        if (!input_.readExact(pos_, buffer_.data(), want)) {
            buffer_.clear();
            return false;
        }
        return true;
    }
    // Whether a record with `signature` starts at the cursor, before `end`.
    bool startsRecord(uint32_t signature, uint64_t end) {
        return pos_ < end && end - pos_ >= 4 && need(4) &&
               ByteReader(buffer_.data() + (pos_ - bufferAt_), 4).u32() == signature;
    }
    ByteReader take(size_t n) {  // only after need(n)
        ByteReader r(buffer_.data() + (pos_ - bufferAt_), n);
        pos_ += n;
        return r;
    }
    uint64_t position() const { return pos_; }

private:
    ArchiveInput& input_;
    uint64_t pos_;
    uint64_t end_;
    std::vector<uint8_t> buffer_;
    uint64_t bufferAt_ = 0;
};

std::string DecodeText(std::string_view raw, bool utf8) {
    return utf8 ? RepairUtf8(raw) : Cp437ToUtf8(raw);
}

}  // namespace

DirectoryResult ReadCentralDirectory(ArchiveInput& input, ArchiveIndex& index) {
    EndRecord end;
    if (!FindEndRecord(input, end))
        return {DirectoryError::NotZip, "end of central directory record not found"};
    // A Zip64 locator may stand before the end record even when no 16/32-bit
    // field holds the marker, so it is always looked for.
    if (auto r = ApplyZip64End(input, end); r.error != DirectoryError::None) return r;
    if (end.multiDisk) return {DirectoryError::MultiDisk, "the archive spans several disks"};
    index.comment = std::move(end.comment);

    // The directory ends where the end record starts; with bytes before the
    // archive every stored offset is short by their number.
    if (end.directorySize > end.directoryEnd)
        return {DirectoryError::Truncated, "the central directory is larger than the archive"};
    const uint64_t directoryStart = end.directoryEnd - end.directorySize;
    if (end.directoryOffset > directoryStart) {
        // Stored offset past where the directory can start: bytes are missing.
        if (end.directoryOffset > input.size() || end.directorySize > input.size() - end.directoryOffset)
            return {DirectoryError::Truncated, "the central directory lies beyond the end of the archive"};
        index.prefixSize = 0;
        index.directoryOffset = end.directoryOffset;
    } else {
        index.prefixSize = directoryStart - end.directoryOffset;
        index.directoryOffset = directoryStart;
    }
    // An archive whose stored offset is right although the sizes disagree.
    if (index.prefixSize != 0) {
        uint8_t sig[4];
        if (input.readExact(end.directoryOffset, sig, 4) && ByteReader(sig, 4).u32() == zip::kCentralHeaderSignature &&
            !(input.readExact(directoryStart, sig, 4) && ByteReader(sig, 4).u32() == zip::kCentralHeaderSignature)) {
            index.prefixSize = 0;
            index.directoryOffset = end.directoryOffset;
        }
    }
    // Each record takes at least 46 bytes, which bounds the count we believe.
    const uint64_t directoryEnd = std::max(end.directoryEnd, index.directoryOffset);
    const uint64_t maxEntries = (directoryEnd - index.directoryOffset) / zip::kCentralHeaderSize;
    if (end.entries > maxEntries)
        return {DirectoryError::Corrupt, "the entry count does not fit the central directory"};
    index.entries.clear();
    index.disagreeingCount.reset();
    // Reserve for what a sane directory holds; a larger count grows as records prove real.
    index.entries.reserve(static_cast<size_t>(std::min<uint64_t>(end.entries, 65536)));

    DirectoryCursor cursor(input, index.directoryOffset, directoryEnd);
    // The count and the directory's byte size describe one directory twice.
    // Records that lie within the size after the counted ones are read too:
    // a reader that stopped at the count would drop entries without a word.
    const uint64_t sizedEnd = std::min(directoryEnd, index.directoryOffset + end.directorySize);
    for (uint64_t i = 0; i < end.entries || cursor.startsRecord(zip::kCentralHeaderSignature, sizedEnd); ++i) {
        // A record missing where the directory's size says it has ended: the
        // count is too high.
        const auto countTooHigh = [&] {
            return DirectoryResult{DirectoryError::Corrupt,
                                   "the end of the central directory counts " + std::to_string(end.entries) +
                                       " entries, but the directory holds " + std::to_string(i)};
        };
        if (!cursor.need(zip::kCentralHeaderSize)) {
            if (cursor.position() >= sizedEnd) return countTooHigh();
            return {DirectoryError::Truncated, "the central directory ends early"};
        }
        ByteReader h = cursor.take(zip::kCentralHeaderSize);
        if (h.u32() != zip::kCentralHeaderSignature) {
            if (cursor.position() - zip::kCentralHeaderSize >= sizedEnd) return countTooHigh();
            return {DirectoryError::Corrupt, "bad central directory record " + std::to_string(i + 1)};
        }
        Entry e;
        e.versionMadeBy = h.u16();
        h.u16();  // version needed
        e.flags = h.u16();
        e.method = h.u16();
        e.dosTime = h.u16();
        e.dosDate = h.u16();
        e.crc = h.u32();
        e.compressedSize = h.u32();
        e.size = h.u32();
        const uint16_t nameLength = h.u16();
        const uint16_t extraLength = h.u16();
        const uint16_t commentLength = h.u16();
        const uint16_t diskStart = h.u16();
        e.internalAttributes = h.u16();
        e.externalAttributes = h.u32();
        e.localHeaderOffset = h.u32();
        const size_t variable = size_t{nameLength} + extraLength + commentLength;
        if (!cursor.need(variable)) return {DirectoryError::Truncated, "the central directory ends early"};
        ByteReader v = cursor.take(variable);
        e.rawName = std::string(v.bytes(nameLength));
        const std::string_view extra = v.bytes(extraLength);
        const std::string_view comment = v.bytes(commentLength);
        const bool utf8 = (e.flags & zip::kFlagUtf8Names) != 0;
        e.name = DecodeText(e.rawName, utf8);
        e.comment = DecodeText(comment, utf8);
        if (!ApplyCentralExtraFields(extra, e))
            return {DirectoryError::Corrupt, "entry " + e.name + " lacks its Zip64 sizes"};
        if (diskStart != 0 && diskStart != zip::kZip64Marker16)
            return {DirectoryError::MultiDisk, "the archive spans several disks"};
        if (e.localHeaderOffset > UINT64_MAX - index.prefixSize)
            return {DirectoryError::Corrupt, "entry " + e.name + " has an impossible offset"};
        e.localHeaderOffset += index.prefixSize;
        index.entries.push_back(std::move(e));
    }
    const uint64_t found = index.entries.size();
    const bool wrapped = !end.zip64 && found > end.entries && (found - end.entries) % 0x10000 == 0;
    if (found != end.entries && !wrapped) index.disagreeingCount = end.entries;
    return {};
}

bool ReadLocalHeader(ArchiveInput& input, const Entry& entry, uint64_t limit, LocalHeader& header,
                     std::string& problem) {
    uint8_t fixed[zip::kLocalHeaderSize];
    if (entry.localHeaderOffset > limit || limit - entry.localHeaderOffset < zip::kLocalHeaderSize ||
        !input.readExact(entry.localHeaderOffset, fixed, sizeof fixed)) {
        problem = "its local header lies beyond the end of the archive";
        return false;
    }
    ByteReader h(fixed, sizeof fixed);
    if (h.u32() != zip::kLocalHeaderSignature) {
        problem = "its local header is missing";
        return false;
    }
    h.u16();  // version needed
    header.flags = h.u16();
    h.u16();  // method
    header.dosTime = h.u16();
    h.skip(2 + 4 + 4 + 4);  // date, crc, sizes: the central directory's values rule
    const uint16_t nameLength = h.u16();
    const uint16_t extraLength = h.u16();
    const uint64_t room = limit - entry.localHeaderOffset - zip::kLocalHeaderSize;  // checked above
    const uint64_t variable = uint64_t{nameLength} + extraLength;
    if (variable > room || entry.compressedSize > room - variable) {
        problem = "its data reaches beyond its space in the archive";
        return false;
    }
    header.dataOffset = entry.localHeaderOffset + zip::kLocalHeaderSize + variable;
    return true;
}

}  // namespace uz
