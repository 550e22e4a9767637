// The line-level look at Setup.ini's raw bytes: what the installer would read
// differently from what the file seems to say.
#pragma once

#include <string_view>
#include <vector>

#include "packer/base/findings.h"
#include "packer/check/code_page.h"
#include "packer/check/setup_lines.h"

namespace packer {

inline constexpr char kSetupFileName[] = "Setup.ini";

// `codePage` is the one setup.exe reads the file in.
std::vector<Finding> LintSetupFile(std::string_view bytes, const std::vector<SetupLine>& lines,
                                   const CodePage& codePage);

}  // namespace packer
