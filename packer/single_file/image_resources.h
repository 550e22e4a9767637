// The resources of a program image, read from it and put back in a copy of
// it with the resource section rebuilt. The section keeps its address; the
// sections after it move by as much as it grows or shrinks, which only the
// base relocation section may do: nothing in the program refers to it but
// its data directory. The header fields that depend on the section (its
// size and that of the image, the data directories, the checksum) follow.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "packer/single_file/resource_tree.h"

namespace packer::single_file {

// `image` is a whole program file with nothing after its image. Both
// throw a PackError naming what is wrong with it: headers that do not fit,
// no resource section, or sections after it that cannot move.
std::vector<Resource> ReadImageResources(std::string_view image);
std::string WithResources(std::string_view image, const std::vector<Resource>& resources);

}  // namespace packer::single_file
