#include "packer/archive_listing.h"

#include <fstream>

#include "packer/text.h"
#include "unzip32/byte_reader.h"
#include "unzip32/zip_format.h"

namespace packer {

namespace zip = uz::zip;

namespace {

// Fields of the end record, after its signature, up to the comment length.
constexpr size_t kEndOfDirCommentLengthOffset = 20;

bool IsUtf8(std::string_view bytes) {
    return FromUtf8(bytes).find(L'\uFFFD') == std::wstring::npos;
}

// Names flagged as UTF-8, or valid UTF-8 anyway, are read as UTF-8; any other
// name byte stands for the character of the same number.
std::wstring DecodeName(std::string_view raw, uint16_t flags) {
    if ((flags & zip::kFlagUtf8Names) || IsUtf8(raw)) return FromUtf8(raw);
    std::wstring out;
    for (char c : raw) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return out;
}

// The end record nearest the end whose comment reaches exactly to the end.
bool FindEndRecord(std::string_view bytes, size_t& at) {
    if (bytes.size() < zip::kEndOfDirSize) return false;
    for (size_t pos = bytes.size() - zip::kEndOfDirSize + 1; pos-- > 0;) {
        // The record with the longest comment starts this far from the end.
        if (bytes.size() - pos > zip::kEndOfDirSize + zip::kMaxCommentSize) break;
        uz::ByteReader r(bytes.substr(pos));
        if (r.u32() != zip::kEndOfDirSignature) continue;
        uz::ByteReader comment(bytes.substr(pos + kEndOfDirCommentLengthOffset));
        if (pos + zip::kEndOfDirSize + comment.u16() == bytes.size()) {
            at = pos;
            return true;
        }
    }
    return false;
}

}  // namespace

bool ListedEntry::Encrypted() const { return (flags & zip::kFlagEncrypted) != 0; }

Listing ReadListing(std::string_view bytes) {
    Listing listing;
    size_t end = 0;
    if (!FindEndRecord(bytes, end)) {
        listing.problem = "no end of central directory record: not a ZIP archive, or cut short";
        return listing;
    }
    uz::ByteReader record(bytes.substr(end + 4));
    record.u16();  // this disk
    record.u16();  // disk of the directory
    record.u16();  // entries on this disk
    const uint16_t total = record.u16();
    const uint32_t directorySize = record.u32();
    const uint32_t directoryOffset = record.u32();
    if (total == zip::kZip64Marker16 || directorySize == zip::kZip64Marker32 ||
        directoryOffset == zip::kZip64Marker32) {
        listing.problem = "the archive uses Zip64 records, which this listing does not read";
        return listing;
    }
    if (directoryOffset > end || directorySize > end - directoryOffset) {
        listing.problem = "the central directory lies outside the archive";
        return listing;
    }
    uz::ByteReader r(bytes.substr(directoryOffset, directorySize));
    for (uint16_t i = 0; i < total; ++i) {
        if (!r.has(zip::kCentralHeaderSize) || r.u32() != zip::kCentralHeaderSignature) {
            listing.problem = "central directory entry " + std::to_string(i + 1) + " is damaged";
            return listing;
        }
        r.skip(4);  // version made by, version needed
        const uint16_t flags = r.u16();
        r.skip(2 + 4 + 4 + 4 + 4);  // method, time and date, crc, sizes
        const uint16_t nameLength = r.u16();
        const uint16_t extraLength = r.u16();
        const uint16_t commentLength = r.u16();
        r.skip(2 + 2 + 4 + 4);  // disk, internal and external attributes, offset
        if (!r.has(size_t{nameLength} + extraLength + commentLength)) {
            listing.problem = "central directory entry " + std::to_string(i + 1) + " is cut short";
            return listing;
        }
        const std::string_view name = r.bytes(nameLength);
        r.skip(size_t{extraLength} + commentLength);
        listing.entries.push_back({DecodeName(name, flags), flags});
    }
    return listing;
}

Listing ReadListingOfFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes;
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        Listing listing;
        listing.problem = "cannot read " + QuotedPath(file);
        return listing;
    }
    return ReadListing(bytes);
}

}  // namespace packer
