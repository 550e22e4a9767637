#include "packer/single_file/image_resources.h"

#include <algorithm>

#include "launcher/pe_format.h"
#include "packer/base/pack_error.h"
#include "packer/base/byte_writer.h"
#include "packer/single_file/pe_checksum.h"
#include "unzip32/reuse/byte_reader.h"

namespace packer::single_file {

namespace pe = launcher::pe;

namespace {

uint32_t Get32(std::string_view bytes, size_t at) {
    uz::ByteReader field(bytes.substr(std::min(at, bytes.size()), 4));
    return field.u32();  // zero when out of range; every caller has checked the range
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

uint64_t Align(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

struct Section {
    size_t header;  // file offset of its section header
    uint32_t virtualSize, virtualAddress, sizeOfRawData, pointerToRawData, characteristics;
};

// The fields of the headers that place the resource section, each range
// checked against the file.
class Headers {
public:
    explicit Headers(std::string_view image) : image_(image) {
        uz::ByteReader dos(image.substr(0, pe::kDosHeaderSize));
        if (!dos.has(pe::kDosHeaderSize) || dos.u16() != pe::kDosMagic) Fail("has no MS-DOS header");
        const uint64_t peOffset = Get32(image, pe::kDosLfanewOffset);
        Need(peOffset, pe::kPeSignatureSize + pe::kCoffHeaderSize, "PE header");
        if (Get32(image, peOffset) != pe::kPeSignature) Fail("has no PE signature");
        uz::ByteReader coff(image.substr(peOffset + pe::kPeSignatureSize, pe::kCoffHeaderSize));
        coff.skip(pe::kNumberOfSectionsOffset);
        const uint16_t numberOfSections = coff.u16();
        coff.skip(pe::kSizeOfOptionalHeaderOffset - pe::kNumberOfSectionsOffset - 2);
        const uint16_t sizeOfOptionalHeader = coff.u16();
        optional_ = peOffset + pe::kPeSignatureSize + pe::kCoffHeaderSize;
        Need(optional_, sizeOfOptionalHeader, "optional header");
        uz::ByteReader magic(image.substr(optional_, 2));
        const uint16_t kind = magic.u16();
        if (kind != pe::kPe32Magic && kind != pe::kPe32PlusMagic) Fail("has an optional header of an unknown kind");
        const size_t countAt = kind == pe::kPe32Magic ? pe::kPe32NumberOfRvaAndSizesOffset
                                                      : pe::kPe32PlusNumberOfRvaAndSizesOffset;
        if (sizeOfOptionalHeader < countAt + 4) Fail("has an optional header too short for its data directories");
        directories_ = optional_ + countAt + 4;
        directoryCount_ = std::min<uint32_t>(Get32(image, optional_ + countAt),
                                             static_cast<uint32_t>((sizeOfOptionalHeader - countAt - 4) /
                                                                   pe::kDataDirectorySize));
        if (directoryCount_ <= pe::kResourceTableIndex) Fail("has no resource data directory");
        fileAlignment_ = Get32(image, optional_ + pe::kFileAlignmentOffset);
        sectionAlignment_ = Get32(image, optional_ + pe::kSectionAlignmentOffset);
        if (fileAlignment_ == 0 || sectionAlignment_ < fileAlignment_) Fail("has section alignments that do not fit");
        if (numberOfSections > pe::kMaxNumberOfSections) Fail("has too many sections");
        const size_t table = optional_ + sizeOfOptionalHeader;
        Need(table, size_t{numberOfSections} * pe::kSectionHeaderSize, "section table");
        for (size_t i = 0; i < numberOfSections; ++i) {
            const size_t at = table + i * pe::kSectionHeaderSize;
            sections_.push_back({at, Get32(image, at + pe::kVirtualSizeOffset), Get32(image, at + pe::kVirtualAddressOffset),
                                 Get32(image, at + pe::kSizeOfRawDataOffset), Get32(image, at + pe::kPointerToRawDataOffset),
                                 Get32(image, at + pe::kSectionCharacteristicsOffset)});
            const Section& s = sections_.back();
            if (s.sizeOfRawData != 0) Need(s.pointerToRawData, s.sizeOfRawData, "section");
        }
        std::sort(sections_.begin(), sections_.end(),
                  [](const Section& a, const Section& b) { return a.virtualAddress < b.virtualAddress; });
        FindResourceSection();
    }

    std::string_view ResourceBytes() const {
        const Section& s = *resources_;
        return image_.substr(s.pointerToRawData, s.virtualSize ? std::min(s.sizeOfRawData, s.virtualSize) : s.sizeOfRawData);
    }
    uint32_t ResourceRva() const { return resources_->virtualAddress; }

    // A copy of the image with `section` as its resource section.
    std::string Replaced(const std::string& section) const {
        const Section& old = *resources_;
        const uint64_t newRaw = Align(section.size(), fileAlignment_);
        const int64_t rawShift = static_cast<int64_t>(newRaw) - old.sizeOfRawData;
        const uint64_t oldEnd = Align(uint64_t{old.virtualAddress} + std::max(old.virtualSize, old.sizeOfRawData),
                                      sectionAlignment_);
        const int64_t virtualShift =
            static_cast<int64_t>(Align(old.virtualAddress + section.size(), sectionAlignment_)) - static_cast<int64_t>(oldEnd);

        std::string out(image_.substr(0, old.pointerToRawData));
        out += section;
        out.resize(old.pointerToRawData + newRaw, '\0');
        out += image_.substr(uint64_t{old.pointerToRawData} + old.sizeOfRawData);

        Put32(out, old.header + pe::kVirtualSizeOffset, static_cast<uint32_t>(section.size()));
        Put32(out, old.header + pe::kSizeOfRawDataOffset, static_cast<uint32_t>(newRaw));
        uint64_t sizeOfImage = Align(old.virtualAddress + section.size(), sectionAlignment_);
        for (auto moved = resources_ + 1; moved != sections_.end(); ++moved) {
            const uint32_t address = static_cast<uint32_t>(moved->virtualAddress + virtualShift);
            Put32(out, moved->header + pe::kVirtualAddressOffset, address);
            if (moved->sizeOfRawData != 0)
                Put32(out, moved->header + pe::kPointerToRawDataOffset,
                      static_cast<uint32_t>(moved->pointerToRawData + rawShift));
            Put32(out, Directory(pe::kBaseRelocationTableIndex), address);
            sizeOfImage = Align(uint64_t{address} + std::max(moved->virtualSize, moved->sizeOfRawData), sectionAlignment_);
        }
        Put32(out, Directory(pe::kResourceTableIndex) + 4, static_cast<uint32_t>(section.size()));
        Put32(out, optional_ + pe::kSizeOfImageOffset, static_cast<uint32_t>(sizeOfImage));
        if (old.characteristics & pe::kSectionInitializedData) {
            const size_t at = optional_ + pe::kSizeOfInitializedDataOffset;
            Put32(out, at, static_cast<uint32_t>(Get32(out, at) + rawShift));
        }
        PeChecksum checksum(optional_ + pe::kCheckSumOffset);
        checksum.Add(out);
        Put32(out, optional_ + pe::kCheckSumOffset, checksum.Value());
        return out;
    }

private:
    [[noreturn]] static void Fail(const std::string& what) { throw PackError("the launcher program " + what); }

    void Need(uint64_t offset, uint64_t size, const char* what) const {
        if (offset > image_.size() || size > image_.size() - offset) Fail(std::string("has a ") + what + " beyond its end");
    }

    size_t Directory(uint32_t index) const { return directories_ + index * pe::kDataDirectorySize; }

    // The resource section must start with the resource directory, and be
    // followed, in memory and in the file, only by the base relocations,
    // which move with it. Nothing else may lie after its raw data.
    void FindResourceSection() {
        const uint32_t rva = Get32(image_, Directory(pe::kResourceTableIndex));
        resources_ = std::find_if(sections_.begin(), sections_.end(),
                                  [rva](const Section& s) { return rva != 0 && s.virtualAddress == rva; });
        if (resources_ == sections_.end()) Fail("has no resource section");
        if (resources_->sizeOfRawData == 0) Fail("has an empty resource section");
        const uint32_t relocations = directoryCount_ > pe::kBaseRelocationTableIndex
                                         ? Get32(image_, Directory(pe::kBaseRelocationTableIndex))
                                         : 0;
        const uint64_t rawEnd = uint64_t{resources_->pointerToRawData} + resources_->sizeOfRawData;
        for (auto later = resources_ + 1; later != sections_.end(); ++later) {
            if (later->virtualAddress != relocations)
                Fail("has a section after its resources that cannot move (only the base relocations can)");
            if (later->sizeOfRawData != 0 && later->pointerToRawData < rawEnd)
                Fail("has its base relocations before its resources in the file");
            CheckRelocationsBefore(*later);
        }
        for (const Section& s : sections_) {
            if (&s != &*resources_ && s.virtualAddress != relocations && s.sizeOfRawData != 0 &&
                uint64_t{s.pointerToRawData} + s.sizeOfRawData > resources_->pointerToRawData)
                Fail("has a section whose data lies after its resources in the file");
        }
    }

    // A relocation inside the resources or the relocations themselves would
    // point at bytes that move.
    void CheckRelocationsBefore(const Section& relocations) const {
        uz::ByteReader blocks(image_.substr(relocations.pointerToRawData,
                                            std::min(relocations.sizeOfRawData, relocations.virtualSize)));
        while (blocks.has(pe::kBaseRelocationBlockHeaderSize)) {
            const uint32_t page = blocks.u32();
            const uint32_t size = blocks.u32();
            if (size == 0 && page == 0) break;  // padding after the last block
            if (size < pe::kBaseRelocationBlockHeaderSize) Fail("has a base relocation block that is too short");
            if (page >= resources_->virtualAddress) Fail("has base relocations inside its resources");
            blocks.skip(size - pe::kBaseRelocationBlockHeaderSize);
        }
    }

    std::string_view image_;
    size_t optional_ = 0;
    size_t directories_ = 0;
    uint32_t directoryCount_ = 0;
    uint32_t fileAlignment_ = 0, sectionAlignment_ = 0;
    std::vector<Section> sections_;
    std::vector<Section>::const_iterator resources_;
};

}  // namespace

std::vector<Resource> ReadImageResources(std::string_view image) {
    const Headers headers(image);
    std::vector<Resource> resources;
    std::string problem;
    if (!ReadResources(headers.ResourceBytes(), headers.ResourceRva(), resources, problem))
        throw PackError("the launcher program's resources cannot be read: " + problem);
    return resources;
}

std::string WithResources(std::string_view image, const std::vector<Resource>& resources) {
    const Headers headers(image);
    return headers.Replaced(WriteResources(resources, headers.ResourceRva()));
}

}  // namespace packer::single_file
