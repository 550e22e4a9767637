// A program file as the linker leaves it, for the tests of the single-file
// installer and of the programs a package ships: MS-DOS header, PE headers
// (i386, PE32, 16 data directories), one section of raw data, nothing after
// it; a program, or with `library` a DLL.
#pragma once

#include <string>

#include "zip_builder.h"

namespace uztest {

constexpr size_t kPeOffset = 0x40;
constexpr size_t kOptionalHeader = kPeOffset + 4 + 20;
constexpr size_t kOptionalHeaderSize = 96 + 16 * 8;
constexpr size_t kCertificateDirectory = kOptionalHeader + 96 + 4 * 8;
constexpr size_t kSectionTable = kOptionalHeader + kOptionalHeaderSize;
constexpr size_t kHeadersSize = 0x200;
constexpr size_t kImageSize = 0x400;

inline std::string ProgramImage(bool library = false) {
    std::string image(kImageSize, '\0');
    Patch16(image, 0, 0x5A4D);                               // e_magic "MZ"
    Patch32(image, 0x3C, kPeOffset);                         // e_lfanew
    Patch32(image, kPeOffset, 0x4550);                       // "PE\0\0"
    Patch16(image, kPeOffset + 4, 0x14C);                    // Machine: i386
    Patch16(image, kPeOffset + 4 + 18, library ? 0x2102 : 0x0102);  // Characteristics: (DLL,) 32-bit, executable
    Patch16(image, kPeOffset + 4 + 2, 1);                    // NumberOfSections
    Patch16(image, kPeOffset + 4 + 16, kOptionalHeaderSize);  // SizeOfOptionalHeader
    Patch16(image, kOptionalHeader, 0x10B);                  // Magic: PE32
    Patch32(image, kOptionalHeader + 60, kHeadersSize);      // SizeOfHeaders
    Patch32(image, kOptionalHeader + 92, 16);                // NumberOfRvaAndSizes
    Patch32(image, kSectionTable + 16, kImageSize - kHeadersSize);  // SizeOfRawData
    Patch32(image, kSectionTable + 20, kHeadersSize);               // PointerToRawData
    return image;
}

// A DLL: what unzip32.dll must be.
inline std::string LibraryImage() { return ProgramImage(true); }

}  // namespace uztest
