// A program file as the linker leaves it, for the tests of the single-file
// installer and of the programs a package ships: MS-DOS header, PE headers
// (i386, PE32, 16 data directories), a code section, a resource section
// holding a manifest, and the base relocations after it, nothing after them;
// a program, or with `library` a DLL.
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
constexpr size_t kSectionRawSize = 0x200;
constexpr size_t kImageSize = kHeadersSize + 3 * kSectionRawSize;
constexpr uint32_t kResourceRva = 0x2000;
constexpr uint32_t kRelocationRva = 0x3000;
// The base relocations: one block for the page at 0x1000, one entry and padding.
constexpr char kRelocations[] = "\x00\x10\x00\x00\x0C\x00\x00\x00\x10\x30\x00\x00";
constexpr char kProgramManifest[] = "<assembly><description>SETUP</description></assembly>";

// A resource section holding kProgramManifest as RT_MANIFEST 1, language 0x409.
inline std::string ResourceSection() {
    std::string s;
    const auto directory = [&s](uint32_t name, uint32_t target) {
        s.append(12, '\0');  // Characteristics, TimeDateStamp, versions
        Put16(s, 0);         // NumberOfNamedEntries
        Put16(s, 1);         // NumberOfIdEntries
        Put32(s, name);
        Put32(s, target);
    };
    directory(24, 0x80000000 | 0x18);  // type RT_MANIFEST
    directory(1, 0x80000000 | 0x30);   // name 1
    directory(0x409, 0x48);            // language, to the data entry
    Put32(s, kResourceRva + 0x58);     // OffsetToData
    Put32(s, sizeof kProgramManifest - 1);
    Put32(s, 0);  // CodePage
    Put32(s, 0);  // Reserved
    s.resize(0x58, '\0');
    return s + kProgramManifest;
}

inline std::string ProgramImage(bool library = false) {
    std::string image(kImageSize, '\0');
    Patch16(image, 0, 0x5A4D);                               // e_magic "MZ"
    Patch32(image, 0x3C, kPeOffset);                         // e_lfanew
    Patch32(image, kPeOffset, 0x4550);                       // "PE\0\0"
    Patch16(image, kPeOffset + 4, 0x14C);                    // Machine: i386
    Patch16(image, kPeOffset + 4 + 18, library ? 0x2102 : 0x0102);  // Characteristics: (DLL,) 32-bit, executable
    Patch16(image, kPeOffset + 4 + 2, 3);                    // NumberOfSections
    Patch16(image, kPeOffset + 4 + 16, kOptionalHeaderSize);  // SizeOfOptionalHeader
    Patch16(image, kOptionalHeader, 0x10B);                  // Magic: PE32
    Patch32(image, kOptionalHeader + 32, 0x1000);            // SectionAlignment
    Patch32(image, kOptionalHeader + 36, 0x200);             // FileAlignment
    Patch32(image, kOptionalHeader + 56, 0x4000);            // SizeOfImage
    Patch32(image, kOptionalHeader + 60, kHeadersSize);      // SizeOfHeaders
    Patch32(image, kOptionalHeader + 92, 16);                // NumberOfRvaAndSizes
    const std::string resources = ResourceSection();
    Patch32(image, kOptionalHeader + 96 + 2 * 8, kResourceRva);  // the resource directory
    Patch32(image, kOptionalHeader + 96 + 2 * 8 + 4, static_cast<uint32_t>(resources.size()));
    Patch32(image, kOptionalHeader + 96 + 5 * 8, kRelocationRva);  // the base relocations
    Patch32(image, kOptionalHeader + 96 + 5 * 8 + 4, sizeof kRelocations - 1);
    // .text, .rsrc, .reloc: VirtualSize, VirtualAddress, SizeOfRawData, PointerToRawData.
    const uint32_t sizes[] = {0x10, static_cast<uint32_t>(resources.size()), sizeof kRelocations - 1};
    for (uint32_t i = 0; i < 3; ++i) {
        const size_t header = kSectionTable + i * 40;
        Patch32(image, header + 8, sizes[i]);
        Patch32(image, header + 12, 0x1000 * (i + 1));
        Patch32(image, header + 16, kSectionRawSize);
        Patch32(image, header + 20, static_cast<uint32_t>(kHeadersSize + i * kSectionRawSize));
        Patch32(image, header + 36, 0x40000040);  // initialized data, readable
    }
    image.replace(kHeadersSize + kSectionRawSize, resources.size(), resources);
    image.replace(kHeadersSize + 2 * kSectionRawSize, sizeof kRelocations - 1, kRelocations, sizeof kRelocations - 1);
    return image;
}

// A DLL: what unzip32.dll must be.
inline std::string LibraryImage() { return ProgramImage(true); }

}  // namespace uztest
