#include "packer_fixture.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>

namespace packer_test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("packer-test-" + std::to_string(random()) + "-" +
                                         std::to_string(random()));
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

void WriteFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SetModified(const fs::path& file, std::time_t moment) {
    const auto system = std::chrono::system_clock::from_time_t(moment);
    fs::last_write_time(file, std::chrono::file_clock::from_sys(system));
}

std::string Capture(const std::string& command, int& status) {
    struct PipeCloser {
        void operator()(FILE* pipe) const { pclose(pipe); }
    };
    FILE* raw = popen(command.c_str(), "r");
    if (raw == nullptr) throw std::runtime_error("cannot run " + command);
    std::unique_ptr<FILE, PipeCloser> pipe(raw);
    std::string out;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
    status = pclose(pipe.release());
    return out;
}

}  // namespace packer_test
