#include "packer/single_file/icon_file.h"

#include "packer/base/byte_writer.h"
#include "packer/single_file/resource_format.h"
#include "unzip32/reuse/byte_reader.h"

namespace packer::single_file {

namespace {

uint32_t BigEndian32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// A PNG image: its size from the header chunk.
bool ReadPng(std::string_view data, uint16_t declaredBitCount, IconImage& image, std::string& problem) {
    if (data.size() < res::kPngHeaderEnd || data.substr(12, 4) != res::kPngHeaderChunk) {
        problem = "is a PNG image without its header";
        return false;
    }
    image.width = BigEndian32(data, res::kPngWidthOffset);
    image.height = BigEndian32(data, res::kPngWidthOffset + 4);
    image.bitCount = declaredBitCount != 0 ? declaredBitCount : 32;
    return true;
}

// A bitmap: header, colour table, colour image and mask, all there.
bool ReadBitmap(std::string_view data, IconImage& image, std::string& problem) {
    uz::ByteReader header(data);
    if (!header.has(res::kBitmapInfoHeaderSize)) {
        problem = "is neither a PNG image nor a bitmap";
        return false;
    }
    const uint32_t headerSize = header.u32();
    const auto width = static_cast<int32_t>(header.u32());
    const auto doubleHeight = static_cast<int32_t>(header.u32());
    const uint16_t planes = header.u16();
    const uint16_t bitCount = header.u16();
    const uint32_t compression = header.u32();
    header.skip(12);  // biSizeImage, biXPelsPerMeter, biYPelsPerMeter
    const uint32_t colorsUsed = header.u32();
    if (headerSize < res::kBitmapInfoHeaderSize || headerSize > data.size() || planes != 1 ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) ||
        width <= 0 || doubleHeight <= 0 || doubleHeight % 2 != 0) {
        problem = "is neither a PNG image nor an icon bitmap";
        return false;
    }
    if (compression != res::kBitmapCompressionRgb) {
        problem = "is a compressed bitmap, which icons cannot be";
        return false;
    }
    image.width = static_cast<uint32_t>(width);
    image.height = static_cast<uint32_t>(doubleHeight / 2);
    image.bitCount = bitCount;
    if (image.width > res::kMaxIconSide || image.height > res::kMaxIconSide) return true;  // refused by the caller
    const uint64_t colors = bitCount <= 8 ? (colorsUsed != 0 ? colorsUsed : uint64_t{1} << bitCount) : 0;
    const uint64_t colorRow = (uint64_t{image.width} * bitCount + 31) / 32 * 4;
    const uint64_t maskRow = (uint64_t{image.width} + 31) / 32 * 4;
    if (headerSize + colors * res::kPaletteEntrySize + (colorRow + maskRow) * image.height > data.size()) {
        problem = "is a bitmap cut short";
        return false;
    }
    return true;
}

}  // namespace

bool ReadIconFile(std::string_view bytes, std::vector<IconImage>& images, std::string& problem) {
    images.clear();
    uz::ByteReader dir(bytes);
    const uint16_t reserved = dir.u16();
    const uint16_t type = dir.u16();
    const uint16_t count = dir.u16();
    if (dir.overrun() || reserved != 0 || type != res::kIconTypeIcon || count == 0) {
        problem = "is not an icon file";
        return false;
    }
    if (!dir.has(size_t{count} * res::kIconDirEntrySize)) {
        problem = "is an icon file cut short";
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        uz::ByteReader entry(dir.bytes(res::kIconDirEntrySize));
        entry.skip(6);  // bWidth, bHeight, bColorCount, bReserved, wPlanes
        const uint16_t bitCount = entry.u16();
        const uint32_t size = entry.u32();
        const uint32_t offset = entry.u32();
        const std::string which = "image " + std::to_string(i + 1) + " of " + std::to_string(count);
        if (offset > bytes.size() || size > bytes.size() - offset || size == 0) {
            problem = "has its " + which + " beyond the file's end";
            return false;
        }
        IconImage image;
        image.data = std::string(bytes.substr(offset, size));
        std::string wrong;
        if (!(image.data.starts_with(res::kPngSignature) ? ReadPng(image.data, bitCount, image, wrong)
                                                         : ReadBitmap(image.data, image, wrong))) {
            problem = "has an " + which + " that " + wrong;
            return false;
        }
        if (image.width == 0 || image.height == 0 || image.width > res::kMaxIconSide ||
            image.height > res::kMaxIconSide) {
            problem = "has an " + which + " of " + std::to_string(image.width) + " x " +
                      std::to_string(image.height) + " pixels; icons are at most 256 x 256";
            return false;
        }
        images.push_back(std::move(image));
    }
    return true;
}

std::vector<Resource> IconResources(const std::vector<IconImage>& images, const ResourceKey& group,
                                    const ResourceKey& language, uint16_t firstId) {
    std::vector<Resource> resources;
    ByteWriter dir;
    dir.u16(0);  // idReserved
    dir.u16(res::kIconTypeIcon);
    dir.u16(static_cast<uint16_t>(images.size()));
    uint16_t id = firstId;
    for (const IconImage& image : images) {
        // 256 pixels are written as 0; fewer than 256 colours are counted.
        dir.u8(static_cast<uint8_t>(image.width % 256));
        dir.u8(static_cast<uint8_t>(image.height % 256));
        dir.u8(static_cast<uint8_t>(image.bitCount < 8 ? 1u << image.bitCount : 0));
        dir.u8(0);  // bReserved
        dir.u16(1);  // wPlanes
        dir.u16(image.bitCount);
        dir.u32(static_cast<uint32_t>(image.data.size()));
        dir.u16(id);
        resources.push_back(Resource{ResourceKey::Id(res::kTypeIcon), ResourceKey::Id(id), language, 0, image.data});
        ++id;
    }
    resources.push_back(Resource{ResourceKey::Id(res::kTypeGroupIcon), group, language, 0, dir.take()});
    return resources;
}

}  // namespace packer::single_file
