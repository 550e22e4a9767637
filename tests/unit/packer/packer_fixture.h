// Folders made for one test and removed after it, and the small file helpers
// the packer tests share.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace packer_test {

class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void WriteFile(const std::filesystem::path& file, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& file);
// Sets a file's modification time to a moment given as seconds since 1970.
void SetModified(const std::filesystem::path& file, std::time_t moment);

// Runs a shell command and returns what it printed; the exit status goes to `status`.
std::string Capture(const std::string& command, int& status);

}  // namespace packer_test
