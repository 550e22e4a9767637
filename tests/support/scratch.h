// Scratch folders and whole-file reading and writing, for the tests of both
// trees.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the scratch goes (folders a test left read-only included).
class Scratch {
public:
    explicit Scratch(const std::string& prefix = "test");
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Both throw std::runtime_error when the file cannot be written or read;
// WriteFile creates the folders the file lies in.
void WriteFile(const std::filesystem::path& file, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& file);

}  // namespace testsupport
