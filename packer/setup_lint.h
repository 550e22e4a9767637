// The line-level look at Setup.ini's raw bytes: what the installer would read
// differently from what the file seems to say.
#pragma once

#include <string_view>
#include <vector>

#include "packer/findings.h"
#include "packer/setup_lines.h"
#include "platform/platform.h"

namespace packer {

inline constexpr char kSetupFileName[] = "Setup.ini";

// `ansi` turns the file's bytes into text for the messages, as setup.exe would.
std::vector<Finding> LintSetupFile(std::string_view bytes, const std::vector<SetupLine>& lines,
                                   platform::AnsiText& ansi);

}  // namespace packer
