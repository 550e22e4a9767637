// The parts of the PE/COFF format that place a payload after a program
// image, and that the packager changes when it rebuilds the resource section
// of a copy of the launcher: the MS-DOS header's pointer to the PE headers,
// the COFF file header, the optional header's sizes, alignments, checksum and
// data directories, the section table and the base relocations. Field names
// are those of the format's description; offsets count from the start of the
// structure they belong to.
#pragma once

#include <cstddef>
#include <cstdint>

namespace launcher::pe {

// MS-DOS header.
constexpr uint16_t kDosMagic = 0x5A4D;       // e_magic, "MZ"
constexpr size_t kDosHeaderSize = 64;
constexpr size_t kDosLfanewOffset = 0x3C;    // e_lfanew: file offset of the PE signature

// PE signature, then the COFF file header:
//   u16 Machine, u16 NumberOfSections, u32 TimeDateStamp,
//   u32 PointerToSymbolTable, u32 NumberOfSymbols,
//   u16 SizeOfOptionalHeader, u16 Characteristics.
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kPeSignatureSize = 4;
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kMachineOffset = 0;
constexpr size_t kNumberOfSectionsOffset = 2;
constexpr size_t kSizeOfOptionalHeaderOffset = 16;
constexpr size_t kFileCharacteristicsOffset = 18;
constexpr uint16_t kMachineI386 = 0x14C;  // IMAGE_FILE_MACHINE_I386
// Characteristics flags.
constexpr uint16_t kFileExecutableImage = 0x0002;  // IMAGE_FILE_EXECUTABLE_IMAGE: the image can run
constexpr uint16_t kFileDll = 0x2000;              // IMAGE_FILE_DLL: a library, not a program
// The loader refuses an image with more sections than this.
constexpr uint16_t kMaxNumberOfSections = 96;

// Optional header. Magic tells PE32 from PE32+; the two differ in where the
// data directories start, not in the fields before ImageBase's end.
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr size_t kSizeOfInitializedDataOffset = 8;  // the raw size of all initialized-data sections
constexpr size_t kSectionAlignmentOffset = 32;      // of sections in memory
constexpr size_t kFileAlignmentOffset = 36;         // of sections' raw data in the file
constexpr size_t kSizeOfImageOffset = 56;           // the image in memory, a multiple of SectionAlignment
constexpr size_t kSizeOfHeadersOffset = 60;
constexpr size_t kCheckSumOffset = 64;              // over the whole file, this field counted as zero
constexpr size_t kPe32NumberOfRvaAndSizesOffset = 92;
constexpr size_t kPe32PlusNumberOfRvaAndSizesOffset = 108;
// Each data directory: u32 VirtualAddress, u32 Size.
constexpr size_t kDataDirectorySize = 8;
constexpr uint32_t kResourceTableIndex = 2;
constexpr uint32_t kBaseRelocationTableIndex = 5;
// The base relocation table: blocks of u32 PageRVA, u32 BlockSize (this
// header included), then u16 entries, each an offset in that page.
constexpr size_t kBaseRelocationBlockHeaderSize = 8;
// The certificate table (Authenticode signatures). Unlike every other data
// directory, its VirtualAddress is a file offset: the table is not loaded.
constexpr uint32_t kCertificateTableIndex = 4;
// Entries of the certificate table start on 8-byte boundaries, the table's
// own start included; a signing tool pads the file to one before appending.
constexpr uint64_t kCertificateAlignment = 8;

// Section header:
//   u8[8] Name, u32 VirtualSize, u32 VirtualAddress, u32 SizeOfRawData,
//   u32 PointerToRawData, u32 PointerToRelocations, u32 PointerToLinenumbers,
//   u16 NumberOfRelocations, u16 NumberOfLinenumbers, u32 Characteristics.
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kVirtualSizeOffset = 8;
constexpr size_t kVirtualAddressOffset = 12;
constexpr size_t kSizeOfRawDataOffset = 16;
constexpr size_t kPointerToRawDataOffset = 20;
constexpr size_t kSectionCharacteristicsOffset = 36;
constexpr uint32_t kSectionInitializedData = 0x40;  // IMAGE_SCN_CNT_INITIALIZED_DATA

}  // namespace launcher::pe
