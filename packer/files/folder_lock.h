// A folder's lock, held by one setup-pack at a time for as long as the object
// lives: a second build into a package folder is refused while the first one
// writes there. It goes with the process however that ends; the lock file a
// killed run leaves behind on POSIX is taken over by the next. One
// implementation per system: folder_lock_posix.cpp, folder_lock_win32.cpp.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "packer/base/text.h"

namespace packer {

class FolderLock {
public:
    static constexpr char kFileName[] = ".setup-pack.lock";

    // Takes the lock of `folder`: a PackError saying so when another
    // setup-pack holds it, or when the lock file cannot be made.
    explicit FolderLock(const std::filesystem::path& folder);
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    // Removes the lock file and gives the lock up.
    ~FolderLock();

private:
    struct Native;
    std::filesystem::path file_;
    std::unique_ptr<Native> native_;
};

// The refusal when another run holds the lock of `folder`.
inline std::string LockedMessage(const std::filesystem::path& folder) {
    return QuotedPath(folder) + " is being written by another setup-pack right now: wait for it to end, "
           "or build into another folder";
}

}  // namespace packer
