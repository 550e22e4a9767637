// What the launcher and the packer reuse of the library's operating-system
// layer: files and archives opened, the forms of a Windows path, system
// errors described.
#pragma once

#include "unzip32/os/os.h"
#include "unzip32/os/windows_paths.h"
