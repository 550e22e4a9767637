// setup-pack's command line: one table of commands and one of options, each
// option naming the commands it belongs to. The usage text is made from them.
#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

#include "packer/base/host.h"
#include "project_version.h"

namespace packer {

inline constexpr char kVersion[] = "setup-pack " PROJECT_VERSION_TEXT;

// Runs the command the arguments (without the program name) give and returns
// the exit code (findings.h): 0 clean, 1 warnings, 2 errors, 64 a wrong
// command line, 74 the tool's own files or the sign command failing.
int RunCommandLine(const std::vector<std::filesystem::path>& arguments, Host& host,
                   std::ostream& out, std::ostream& err);

}  // namespace packer
