#include "packer_fixture.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace packer_test {

namespace fs = std::filesystem;

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
