// What the launcher and the packer reuse of the library's names: UTF-8 and
// UTF-16 text, and the rules a name must follow to be a Windows file name.
#pragma once

#include "unzip32/format/text_encoding.h"
#include "unzip32/modes/path_sanitizer.h"
