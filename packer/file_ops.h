// Files the tool copies, and files and folders that exist only while it
// makes something. Trouble is a PackError.
#pragma once

#include <filesystem>

namespace packer {

// Removed when its owner goes, whatever stopped the work, unless kept.

class TemporaryPath {
public:
    explicit TemporaryPath(std::filesystem::path path) : path_(std::move(path)) {}
    TemporaryPath(const TemporaryPath&) = delete;
    TemporaryPath& operator=(const TemporaryPath&) = delete;
    ~TemporaryPath();
    const std::filesystem::path& path() const { return path_; }
    // The file has taken its final name (or is to stay where it is).
    void Keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    bool kept_ = false;
};

// A new, empty folder of the tool's own in the system's temporary folder; a
// PackError when none can be made.
std::filesystem::path NewTemporaryFolder();

// Is `inner` the folder `outer` or below it? Both as they are once links
// are followed, as far as they exist.
bool IsWithin(const std::filesystem::path& inner, const std::filesystem::path& outer);

// Copies `source` to `folder`/`name`, replacing a file there; the copy's path.
std::filesystem::path CopyInto(const std::filesystem::path& source, const std::filesystem::path& folder,
                               const char* name);

}  // namespace packer
