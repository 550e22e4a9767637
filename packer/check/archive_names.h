// The archive's entry names as setup.exe installs them on Windows: names
// Windows cannot hold, names that differ only in case (one file replaces the
// other), and paths too long for programs without long-path support.
#pragma once

#include <string>
#include <vector>

#include "packer/base/findings.h"

namespace packer {

struct ArchiveName {
    std::wstring name;  // "/" separators; a folder's may end in "/"
    bool directory = false;
    // The name's bytes when they are meant as UTF-8 but are not: `name` then
    // holds U+FFFD where the unzip library puts "?" (and Windows "_").
    std::string notUtf8 = {};
};

// Findings are about `archiveFile` (the archive's file name). `targetDir` is
// the proposed destination folder, C:\Program Files\ and TARGET; empty when
// there is none.
std::vector<Finding> CheckArchiveNames(const std::vector<ArchiveName>& names,
                                       const std::string& archiveFile, const std::wstring& targetDir);

}  // namespace packer
