// What the single file takes from the package it carries: the application's
// name for its version information, and the time its payload's entries carry.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "packer/base/host.h"
#include "packer/check/code_page.h"

namespace packer::single_file {

// The APPLICATION value of the package's Setup.ini as setup.exe reads it on
// a system with `codePage`; nothing when there is none or the file cannot
// be read (the package check reports that).
std::optional<std::wstring> PackageApplicationName(const std::filesystem::path& packageDir, Host& host,
                                                   const CodePage& codePage);

// The time of the newest entry of the archive `zipFile` (seconds since 1970,
// UTC): from its extended timestamp, else its MS-DOS fields read as UTC, as
// our archive writer writes them. An archive made with --mtime or
// SOURCE_DATE_EPOCH gives that time; any archive gives a time that depends
// on it alone. An archive without entries, or one that cannot be read (the
// package check reports that), gives the first MS-DOS time, 1980-01-01.
int64_t ArchiveTime(const std::filesystem::path& zipFile);

}  // namespace packer::single_file
