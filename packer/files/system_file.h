// The system calls under the files the tool writes (new_file.h): a file
// created so that the call fails when its name is taken, a link included, so
// that nothing is ever written through a link planted there; a folder made
// the same way that only this user may enter; a rename that replaces what
// held a name without writing through it. One implementation per system:
// system_file_posix.cpp, system_file_win32.cpp. Trouble is a PackError with
// the path and the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

namespace packer {

// An open file of the tool's own making, closed when it goes.
class SystemFile {
public:
    // Creates `path`, open for reading and writing; a PackError when the
    // name exists, whatever holds it.
    static SystemFile CreateNew(const std::filesystem::path& path);
    SystemFile(SystemFile&&) noexcept;
    SystemFile& operator=(SystemFile&&) noexcept;
    ~SystemFile();

    void WriteAt(uint64_t offset, std::string_view bytes);  // all of them, or a PackError
    size_t ReadAt(uint64_t offset, char* buffer, size_t size);  // fewer only at the end
    void Flush();  // to the disk
    uint64_t Size();
    // A close whose failure counts (network disks and quotas report there).
    void Close();

private:
    struct Native;
    SystemFile(std::filesystem::path path, std::unique_ptr<Native> native);
    std::filesystem::path path_;
    std::unique_ptr<Native> native_;
};

// Makes the folder `path` that only this user may enter (POSIX: mode 0700;
// Windows: the access list it inherits). False when the name is taken.
bool MakeOwnFolder(const std::filesystem::path& path);

// Gives the file `from` the name `to` on the same file system, replacing the
// file or link that had it.
void RenameOver(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace packer
