// What Windows and the setup window make of each key's value: TARGET and the
// shortcut names become names of folders and files, EXEFILE a path below the
// destination, MESSAGE the text of a label of fixed size.
#pragma once

#include <string_view>
#include <vector>

#include "packer/base/findings.h"

namespace packer {

// The findings of one line's value, `value` decoded as setup.exe decodes it.
// TARGET values that are full paths or empty are left to the whole-file check.
std::vector<Finding> CheckSetupValue(std::string_view key, std::wstring_view value, int line);

}  // namespace packer
