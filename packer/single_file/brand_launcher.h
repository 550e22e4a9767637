// A copy of the launcher program carrying the publisher's identity: its
// icon groups, version resource and manifest description replaced, every
// other resource (the unpacking window) kept, the resource section rebuilt
// with the header fields and checksum that depend on it. The launcher file
// itself is only read.
#pragma once

#include <string>
#include <string_view>

#include "packer/single_file/identity.h"

namespace packer::single_file {

// `image` is the launcher's whole file. Trouble (a launcher whose resources
// cannot be rebuilt, a manifest without a description) is a PackError.
std::string BrandLauncher(std::string_view image, const Identity& identity);

}  // namespace packer::single_file
