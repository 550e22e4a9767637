// The layouts of a program's resource section and of what the single file's
// branding puts in it: the resource directory, icon files and icon groups,
// and the version information. Field names are those of the formats'
// descriptions; offsets count from the start of the record they belong to.
// All fields are little-endian, except PNG's, which are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace packer::single_file::res {

// Resource types (RT_*) and the ids and language the branding writes.
constexpr uint16_t kTypeIcon = 3;           // RT_ICON: one image of an icon
constexpr uint16_t kTypeGroupIcon = 14;     // RT_GROUP_ICON: the images that make one icon
constexpr uint16_t kTypeVersion = 16;       // RT_VERSION
constexpr uint16_t kTypeManifest = 24;      // RT_MANIFEST
constexpr uint16_t kVersionInfoId = 1;      // VS_VERSION_INFO, the only version resource read
constexpr uint16_t kLanguageUsEnglish = 0x0409;

// The resource directory is a tree of three levels: type, name, language.
// IMAGE_RESOURCE_DIRECTORY: u32 Characteristics, u32 TimeDateStamp,
// u16 MajorVersion, u16 MinorVersion, u16 NumberOfNamedEntries,
// u16 NumberOfIdEntries, then the entries, named ones first, each group in
// ascending order.
constexpr size_t kDirectoryLevels = 3;
constexpr size_t kDirectorySize = 16;
constexpr size_t kNumberOfNamedEntriesOffset = 12;
// IMAGE_RESOURCE_DIRECTORY_ENTRY: u32 Name, u32 OffsetToData. With the high
// bit set, Name is the offset of a name and OffsetToData that of a
// subdirectory; offsets count from the section's start.
constexpr size_t kDirectoryEntrySize = 8;
constexpr uint32_t kHighBit = 0x80000000;
// IMAGE_RESOURCE_DIR_STRING_U: u16 Length, then Length UTF-16 code units.
constexpr size_t kNameLengthSize = 2;
// IMAGE_RESOURCE_DATA_ENTRY: u32 OffsetToData (an RVA, not an offset),
// u32 Size, u32 CodePage, u32 Reserved.
constexpr size_t kDataEntrySize = 16;
// Resource data starts on this boundary, as resource compilers place it.
constexpr size_t kDataAlignment = 8;

// An .ico file. ICONDIR: u16 idReserved (0), u16 idType (1 icon, 2 cursor),
// u16 idCount. ICONDIRENTRY: u8 bWidth, u8 bHeight (0 for 256),
// u8 bColorCount, u8 bReserved, u16 wPlanes, u16 wBitCount,
// u32 dwBytesInRes, u32 dwImageOffset.
constexpr size_t kIconDirSize = 6;
constexpr uint16_t kIconTypeIcon = 1;
constexpr size_t kIconDirEntrySize = 16;
constexpr size_t kIconBytesInResOffset = 8;
// An icon group (RT_GROUP_ICON): the same ICONDIR, then GRPICONDIRENTRY:
// the first 12 bytes of ICONDIRENTRY, then u16 nId, the RT_ICON's id.
constexpr size_t kGroupIconEntrySize = 14;
// Windows draws icons of at most 256 pixels a side.
constexpr uint32_t kMaxIconSide = 256;

// An icon image is a PNG file or a device-independent bitmap.
// PNG: the signature, then the IHDR chunk: u32 length, "IHDR", u32 width,
// u32 height, u8 bit depth, u8 colour type, ... (big-endian).
constexpr std::string_view kPngSignature{"\x89PNG\r\n\x1a\n", 8};
constexpr std::string_view kPngHeaderChunk{"IHDR", 4};
constexpr size_t kPngWidthOffset = 16;   // from the file's start
constexpr size_t kPngHeaderEnd = 24;     // the width and height read
// BITMAPINFOHEADER: u32 biSize, i32 biWidth, i32 biHeight (the colour image
// and the mask below it: twice the icon's height), u16 biPlanes,
// u16 biBitCount, u32 biCompression, ...; then the colour table (for up to 8
// bits a pixel), the colour image and the 1-bit mask, each row padded to 32 bits.
constexpr size_t kBitmapInfoHeaderSize = 40;
constexpr uint32_t kBitmapCompressionRgb = 0;  // BI_RGB
constexpr size_t kPaletteEntrySize = 4;        // RGBQUAD

// The version resource: nested blocks, each u16 wLength (the block with its
// children), u16 wValueLength (in words for text, bytes for binary),
// u16 wType (1 text, 0 binary), the key in UTF-16 with its terminating zero,
// padding to 32 bits, the value, padding to 32 bits, the children.
constexpr uint16_t kBlockBinary = 0;
constexpr uint16_t kBlockText = 1;
constexpr size_t kBlockAlignment = 4;
constexpr size_t kMaxBlockLength = 0xFFFF;  // wLength is 16 bits, the whole resource's included
// VS_FIXEDFILEINFO: 13 u32 fields.
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BD;    // dwSignature
constexpr uint32_t kFixedFileInfoStrucVersion = 0x00010000;  // dwStrucVersion 1.0
constexpr uint32_t kFileFlagsMask = 0x3F;                    // VS_FFI_FILEFLAGSMASK
constexpr uint32_t kFileOsWindows32 = 0x4;                   // VOS__WINDOWS32
constexpr uint32_t kFileTypeApp = 0x1;                       // VFT_APP
// The one string table and translation: US English, Unicode (code page 1200).
constexpr uint16_t kCodePageUnicode = 1200;
constexpr char16_t kStringTableKey[] = u"040904B0";

}  // namespace packer::single_file::res
