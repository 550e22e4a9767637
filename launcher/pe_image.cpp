#include "launcher/pe_image.h"

#include <algorithm>
#include <vector>

#include "launcher/pe_format.h"
#include "unzip32/reuse/byte_reader.h"

namespace launcher {
namespace {

// A header of the program file, read whole, whose fields are taken by offset.
class Header {
public:
    // Exactly `size` bytes at `offset` of the file, or false.
    bool read(uz::ArchiveInput& file, uint64_t offset, size_t size) {
        bytes_.resize(size);
        return file.readExact(offset, bytes_.data(), size);
    }
    bool has(size_t offset, size_t size) const { return offset <= bytes_.size() && size <= bytes_.size() - offset; }
    // Little-endian fields; only where has() said so.
    uint16_t u16(size_t offset) const { return static_cast<uint16_t>(at(offset, 2).u16()); }
    uint32_t u32(size_t offset) const { return at(offset, 4).u32(); }

private:
    uz::ByteReader at(size_t offset, size_t size) const {
        return has(offset, size) ? uz::ByteReader(bytes_.data() + offset, size) : uz::ByteReader(nullptr, 0);
    }
    std::vector<uint8_t> bytes_;
};

}  // namespace

bool ReadImageLayout(uz::ArchiveInput& file, ImageLayout& layout, std::string& problem) {
    const auto fail = [&problem](const char* what) {
        problem = what;
        return false;
    };
    layout = ImageLayout{};
    layout.fileSize = file.size();

    Header dos;
    if (!dos.read(file, 0, pe::kDosHeaderSize)) return fail("the program file is too short");
    if (dos.u16(0) != pe::kDosMagic) return fail("the program file has no MS-DOS header");
    const uint64_t peOffset = dos.u32(pe::kDosLfanewOffset);

    Header coff;
    if (!coff.read(file, peOffset, pe::kPeSignatureSize + pe::kCoffHeaderSize))
        return fail("the program file's PE header lies beyond its end");
    if (coff.u32(0) != pe::kPeSignature) return fail("the program file has no PE signature");
    layout.machine = coff.u16(pe::kPeSignatureSize + pe::kMachineOffset);
    layout.characteristics = coff.u16(pe::kPeSignatureSize + pe::kFileCharacteristicsOffset);
    const uint16_t numberOfSections = coff.u16(pe::kPeSignatureSize + pe::kNumberOfSectionsOffset);
    const uint16_t sizeOfOptionalHeader = coff.u16(pe::kPeSignatureSize + pe::kSizeOfOptionalHeaderOffset);
    if (numberOfSections > pe::kMaxNumberOfSections) return fail("the program file has too many sections");

    const uint64_t optionalStart = peOffset + pe::kPeSignatureSize + pe::kCoffHeaderSize;
    Header optional;
    if (!optional.read(file, optionalStart, sizeOfOptionalHeader))
        return fail("the program file's optional header lies beyond its end");
    const uint16_t magic = optional.has(0, 2) ? optional.u16(0) : 0;
    if (magic != pe::kPe32Magic && magic != pe::kPe32PlusMagic)
        return fail("the program file's optional header is of an unknown kind");
    layout.magic = magic;
    const size_t countOffset =
        magic == pe::kPe32Magic ? pe::kPe32NumberOfRvaAndSizesOffset : pe::kPe32PlusNumberOfRvaAndSizesOffset;
    if (!optional.has(countOffset, 4)) return fail("the program file's optional header is too short");
    const uint32_t numberOfRvaAndSizes = optional.u32(countOffset);
    if (numberOfRvaAndSizes > pe::kCertificateTableIndex) {
        const size_t entry = countOffset + 4 + pe::kCertificateTableIndex * pe::kDataDirectorySize;
        if (!optional.has(entry, pe::kDataDirectorySize))
            return fail("the program file's data directories do not fit its optional header");
        layout.certificateOffset = optional.u32(entry);
        layout.certificateSize = optional.u32(entry + 4);
    }

    Header sections;
    if (!sections.read(file, optionalStart + sizeOfOptionalHeader, size_t{numberOfSections} * pe::kSectionHeaderSize))
        return fail("the program file's section table lies beyond its end");
    layout.imageEnd = optional.u32(pe::kSizeOfHeadersOffset);
    for (size_t section = 0; section < numberOfSections; ++section) {
        const size_t start = section * pe::kSectionHeaderSize;
        const uint64_t sizeOfRawData = sections.u32(start + pe::kSizeOfRawDataOffset);
        const uint64_t pointerToRawData = sections.u32(start + pe::kPointerToRawDataOffset);
        if (sizeOfRawData != 0) layout.imageEnd = std::max(layout.imageEnd, pointerToRawData + sizeOfRawData);
    }
    if (layout.imageEnd > layout.fileSize) return fail("the program file is cut short");

    if (layout.certificateSize != 0 &&
        (layout.certificateOffset < layout.imageEnd || layout.certificateOffset > layout.fileSize ||
         layout.certificateSize > layout.fileSize - layout.certificateOffset))
        return fail("the program file's signature does not lie after its image");
    return true;
}

}  // namespace launcher
