// What the launcher and the packer reuse of the library's bounded cursor over
// untrusted bytes: program headers and icon files are read the way ZIP
// records are.
#pragma once

#include "unzip32/format/byte_reader.h"
