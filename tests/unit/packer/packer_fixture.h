// The small helpers the packer tests share beside the scratch folders and
// file helpers of tests/support.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

#include "scratch.h"

namespace packer_test {

using TempFolder = testsupport::Scratch;
using testsupport::ReadFile;
using testsupport::WriteFile;

// Sets a file's modification time to a moment given as seconds since 1970.
void SetModified(const std::filesystem::path& file, std::time_t moment);

// Runs a shell command and returns what it printed; the exit status goes to `status`.
std::string Capture(const std::string& command, int& status);

}  // namespace packer_test
