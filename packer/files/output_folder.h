// The folder `build` writes a package into. A package folder ships whole, so
// it must hold nothing but the files build writes: anything else there (a
// library, an archive of an earlier build) would ship with the package. Such
// a folder is refused unless the packager forces it, and even then only the
// package's own files are replaced, never the others.
//
// Writing (PackageWrite) takes the folder for one run: it is made when
// missing and locked against a second build (folder_lock.h), the files are
// written into a private folder inside it (file_ops.h) and verified there,
// and only when all of them are ready are they put in place together. Until
// then nothing at a final name changes; a run that fails removes what it
// made, the folder too when it made it.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "packer/base/host.h"
#include "packer/files/file_ops.h"
#include "packer/files/folder_lock.h"

namespace packer {

class OutputFolder {
public:
    // `ownFiles`: the names of the files build writes there.
    OutputFolder(std::filesystem::path folder, std::vector<std::wstring> ownFiles, Host& host);

    const std::filesystem::path& path() const { return folder_; }
    // What the folder holds besides the files build writes (and what a
    // build in progress or a stopped one keeps there); nothing when the
    // folder does not exist yet.
    std::vector<std::filesystem::path> OtherEntries() const;
    // The own names that something other than a file holds (a folder): no
    // file can take such a name.
    std::vector<std::filesystem::path> Blocked() const;
    // The own files of an earlier build, in any letter case: Windows would
    // take them for the same files.
    std::vector<std::filesystem::path> EarlierFiles() const;

private:
    bool IsOwn(const std::filesystem::path& entry) const;

    std::filesystem::path folder_;
    std::vector<std::wstring> ownFiles_;  // case folded
    Host& host_;
};

class PackageWrite {
public:
    // Takes the folder: makes it when missing, locks it, and removes what
    // a stopped build left there. Trouble is a PackError. The lock is held
    // for as long as the object lives, Commit or not.
    explicit PackageWrite(OutputFolder folder);
    PackageWrite(const PackageWrite&) = delete;
    PackageWrite& operator=(const PackageWrite&) = delete;
    // Without Commit: removes everything this run made.
    ~PackageWrite();

    // Where the files are written before they are put in place.
    const std::filesystem::path& Staging() const { return staging_->path(); }
    // Puts every staged file in place, replacing the earlier build's own
    // files, and removes the private folder. When one cannot be put in
    // place, those put in place so far go back and the earlier files
    // return: a PackError, the folder as it was.
    void Commit();

private:
    void Take();
    void MakeFolder();
    // Removes what this run made, unless it was committed, and unlocks.
    void Release();

    OutputFolder folder_;
    std::vector<std::filesystem::path> made_;  // folders this run made, outermost first
    std::optional<FolderLock> lock_;
    std::optional<TemporaryPath> staging_;
    bool committed_ = false;
};

}  // namespace packer
