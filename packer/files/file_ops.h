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

// The names of the tool's private folders start with this.
inline constexpr char kPrivateFolderPrefix[] = ".setup-pack-";

// A new folder of the tool's own in `base` that only this user may enter
// (system_file.h), named kPrivateFolderPrefix and 16 hexadecimal digits:
// what the tool writes there nobody else can have planted a link for. Its
// path.
std::filesystem::path NewPrivateFolder(const std::filesystem::path& base);
// The same in the system's temporary folder.
std::filesystem::path NewTemporaryFolder();

// Is `inner` the folder `outer` or below it? Both as they are once links
// are followed, as far as they exist.
bool IsWithin(const std::filesystem::path& inner, const std::filesystem::path& outer);

// Copies `source` to the new file `folder`/`name` (new_file.h): the copy
// must have the size and the bytes the source had when it was read, or it is
// a PackError. The copy's path.
std::filesystem::path CopyInto(const std::filesystem::path& source, const std::filesystem::path& folder,
                               const char* name);

}  // namespace packer
