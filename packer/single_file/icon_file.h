// An .ico file's images, and the resources that make them a program's icon:
// one RT_ICON for each image and an RT_GROUP_ICON that lists them, which is
// what Explorer, ExtractIconEx and LoadImage read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "packer/single_file/resource_tree.h"

namespace packer::single_file {

struct IconImage {
    uint32_t width = 0, height = 0;  // in pixels, as the image itself says
    uint16_t bitCount = 0;           // bits a pixel
    std::string data;                // a PNG file, or a bitmap header, colours and mask
};

// The images of the icon file `bytes`. False, with what is wrong in
// `problem`, when it is not an icon file (a cursor, another kind of file), an
// image lies beyond its end, is larger than 256 pixels a side, or is neither
// a PNG file nor a whole uncompressed bitmap.
bool ReadIconFile(std::string_view bytes, std::vector<IconImage>& images, std::string& problem);

// The icon's resources: the images as RT_ICONs numbered from `firstId`, and
// the group `group` listing them; all in `language`.
std::vector<Resource> IconResources(const std::vector<IconImage>& images, const ResourceKey& group,
                                    const ResourceKey& language, uint16_t firstId);

}  // namespace packer::single_file
