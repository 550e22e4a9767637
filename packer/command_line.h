// setup-pack's command line: `build APPDIR OUTDIR [options]` and `check DIR`.
#pragma once

#include <filesystem>
#include <ostream>
#include <vector>

#include "packer/host.h"

namespace packer {

// Runs the command the arguments (without the program name) give and returns
// the exit code: 0 clean, 1 warnings, 2 errors or a refused command line.
int RunCommandLine(const std::vector<std::filesystem::path>& arguments, Host& host,
                   std::ostream& out, std::ostream& err);

}  // namespace packer
