#include "packer/base/progress.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace packer {

namespace {

// Below these an application packs in about a second: no progress.
constexpr uint64_t kBigBytes = 64ull << 20;
constexpr size_t kBigFiles = 2000;
constexpr auto kInterval = std::chrono::milliseconds(100);

std::string Mebibytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1 << 20));
    return text;
}

}  // namespace

Progress::Progress(std::ostream& out, bool terminal, size_t files, uint64_t bytes)
    : out_(out), shown_(terminal && (bytes >= kBigBytes || files >= kBigFiles)), files_(files),
      bytes_(bytes) {}

// Blanks rather than an escape sequence: the Windows console shows those as text.
Progress::~Progress() {
    if (width_ > 0) out_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
}

void Progress::Advance(size_t files, uint64_t bytes) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (width_ > 0 && now - last_ < kInterval) return;
    last_ = now;
    const std::string line = "setup-pack: packing " + std::to_string(files) + "/" +
                             std::to_string(files_) + " files, " + Mebibytes(bytes) + "/" +
                             Mebibytes(bytes_) + " MiB";
    out_ << '\r' << line << std::string(width_ > line.size() ? width_ - line.size() : 0, ' ') << std::flush;
    width_ = std::max(width_, line.size());
}

}  // namespace packer
