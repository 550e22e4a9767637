// The ZIP format: record signatures, fixed sizes, field offsets, flags and
// method numbers, named after the fields of the format's description.
#pragma once

#include <cstddef>
#include <cstdint>

namespace uz::zip {

// Record signatures ("PK" followed by two bytes), little-endian.
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndOfDirSignature = 0x06054b50;
constexpr uint32_t kZip64EndOfDirSignature = 0x06064b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr uint32_t kDataDescriptorSignature = 0x08074b50;  // optional before a descriptor

// Fixed parts of the records; variable fields follow each one.
constexpr size_t kLocalHeaderSize = 30;     // + name + extra
constexpr size_t kCentralHeaderSize = 46;   // + name + extra + comment
constexpr size_t kEndOfDirSize = 22;        // + comment
constexpr size_t kZip64EndOfDirSize = 56;   // + extensible data
constexpr size_t kZip64LocatorSize = 20;
constexpr size_t kMaxCommentSize = 0xFFFF;

// Local file header, after the signature:
//   u16 version needed, u16 flags, u16 method, u16 mod time, u16 mod date,
//   u32 crc-32, u32 compressed size, u32 uncompressed size,
//   u16 name length, u16 extra length.
// Central directory header, after the signature:
//   u16 version made by (high byte: host system), u16 version needed,
//   u16 flags, u16 method, u16 mod time, u16 mod date, u32 crc-32,
//   u32 compressed size, u32 uncompressed size, u16 name length,
//   u16 extra length, u16 comment length, u16 disk number start,
//   u16 internal attributes, u32 external attributes, u32 local header offset.
// End of central directory, after the signature:
//   u16 this disk, u16 disk of the directory, u16 entries on this disk,
//   u16 entries in total, u32 directory size, u32 directory offset,
//   u16 comment length.
// Zip64 end of central directory locator, after the signature:
//   u32 disk of the zip64 record, u64 offset of the zip64 record, u32 disks.
// Zip64 end of central directory, after the signature:
//   u64 size of the remaining record, u16 version made by, u16 version needed,
//   u32 this disk, u32 disk of the directory, u64 entries on this disk,
//   u64 entries in total, u64 directory size, u64 directory offset.

// Where fields lie, counted from their record's signature.
constexpr size_t kCentralNameLengthOffset = 28;         // then extra and comment lengths
constexpr size_t kCentralLocalHeaderOffsetOffset = 42;  // offset of the entry's local header
constexpr size_t kEndDirectoryOffsetOffset = 16;        // offset of the central directory

// A 16- or 32-bit field holding this value defers to the Zip64 fields.
constexpr uint16_t kZip64Marker16 = 0xFFFF;
constexpr uint32_t kZip64Marker32 = 0xFFFFFFFF;

// General purpose flag bits.
constexpr uint16_t kFlagEncrypted = 1 << 0;
constexpr uint16_t kFlagDataDescriptor = 1 << 3;   // crc and sizes follow the data
constexpr uint16_t kFlagStrongEncryption = 1 << 6;
constexpr uint16_t kFlagUtf8Names = 1 << 11;       // name and comment are UTF-8
constexpr uint16_t kFlagMaskedHeaders = 1 << 13;   // central directory encrypted

// Compression methods.
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodShrunk = 1;
constexpr uint16_t kMethodImploded = 6;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kMethodDeflate64 = 9;
constexpr uint16_t kMethodBzip2 = 12;
constexpr uint16_t kMethodLzma = 14;
constexpr uint16_t kMethodZstd = 93;
constexpr uint16_t kMethodXz = 95;
constexpr uint16_t kMethodPpmd = 98;
constexpr uint16_t kMethodAes = 99;  // WinZip AES: the real method is in the 0x9901 field

// Host systems (high byte of "version made by").
constexpr uint8_t kHostMsDos = 0;
constexpr uint8_t kHostUnix = 3;
constexpr uint8_t kHostNtfs = 10;
constexpr uint8_t kHostOsx = 19;

// Internal attributes.
constexpr uint16_t kInternalText = 1 << 0;  // the entry is probably text

// External attributes: MS-DOS attributes in the low byte, a Unix st_mode in
// the high 16 bits when the host is Unix-like.
constexpr uint32_t kDosDirectory = 0x10;
constexpr uint32_t kUnixTypeMask = 0170000;
constexpr uint32_t kUnixDirectory = 0040000;
constexpr uint32_t kUnixRegular = 0100000;
constexpr uint32_t kUnixSymlink = 0120000;

// Extra field headers: u16 id, u16 data size.
constexpr size_t kExtraHeaderSize = 4;
constexpr uint16_t kExtraZip64 = 0x0001;          // u64 size, u64 csize, u64 offset, u32 disk
constexpr uint16_t kExtraNtfs = 0x000a;           // u32 reserved, then tags; tag 1: 3 x u64 FILETIME
constexpr uint16_t kExtraNtfsTimesTag = 0x0001;
constexpr size_t kExtraNtfsTimesSize = 24;
constexpr uint16_t kExtraExtendedTime = 0x5455;   // u8 flags, then u32 mtime (if bit 0) ...
constexpr uint8_t kExtendedTimeHasMtime = 1 << 0;
constexpr uint16_t kExtraUnicodePath = 0x7075;    // u8 version 1, u32 crc of header name, UTF-8 name
constexpr uint16_t kExtraAes = 0x9901;

// Traditional PKWARE encryption: a 12-byte header precedes the data.
constexpr size_t kEncryptionHeaderSize = 12;

// Data descriptor after the data: [signature] u32 crc, u32/u64 csize, u32/u64 size.
constexpr size_t kDataDescriptorSize = 12;
constexpr size_t kZip64DataDescriptorSize = 20;

// MS-DOS date and time fields.
//   time: bits 0-4 seconds/2, 5-10 minute, 11-15 hour
//   date: bits 0-4 day, 5-8 month, 9-15 years since 1980
constexpr int kDosEpochYear = 1980;

}  // namespace uz::zip
