// The folder `build` writes a package into. A package folder ships whole, so
// it must hold nothing but the files build writes: anything else there (a
// library, an archive of an earlier build) would ship with the package. Such
// a folder is refused unless the packager forces it, and even then only the
// package's own files are removed, never the others.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "packer/host.h"

namespace packer {

class OutputFolder {
public:
    // `ownFiles`: the names of the files build writes there.
    OutputFolder(std::filesystem::path folder, std::vector<std::wstring> ownFiles, Host& host);

    // What the folder holds besides the files build writes; nothing when
    // the folder does not exist yet.
    std::vector<std::filesystem::path> OtherEntries() const;
    // Creates the folder and removes the own files from an earlier build
    // (in any letter case: Windows would take them for the same files).
    // Trouble is a PackError.
    void Prepare() const;

private:
    bool IsOwn(const std::filesystem::path& entry) const;

    std::filesystem::path folder_;
    std::vector<std::wstring> ownFiles_;  // case folded
    Host& host_;
};

}  // namespace packer
