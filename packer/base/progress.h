// Progress of a long build on a terminal: files and bytes packed, on one line
// rewritten at most ten times a second and cleared at the end. Silent when
// the output is no terminal or the application is small.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ostream>

namespace packer {

class Progress {
public:
    Progress(std::ostream& out, bool terminal, size_t files, uint64_t bytes);
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress();  // clears the line

    void Advance(size_t files, uint64_t bytes);  // done so far

private:
    std::ostream& out_;
    bool shown_;
    size_t files_;
    uint64_t bytes_;
    std::chrono::steady_clock::time_point last_{};
    size_t width_ = 0;  // of the longest line printed
};

}  // namespace packer
