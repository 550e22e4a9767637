// What the launcher and the packer reuse of the library's operating-system
// layer: files and archives opened, long paths, system errors described.
#pragma once

#include "unzip32/os/os.h"
