#include "packer/progress.h"

#include <cstdio>

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

Progress::~Progress() {
    if (printed_) out_ << "\r\x1b[K" << std::flush;
}

void Progress::Advance(size_t files, uint64_t bytes) {
    if (!shown_) return;
    const auto now = std::chrono::steady_clock::now();
    if (printed_ && now - last_ < kInterval) return;
    last_ = now;
    printed_ = true;
    out_ << "\rsetup-pack: packing " << files << "/" << files_ << " files, " << Mebibytes(bytes)
         << "/" << Mebibytes(bytes_) << " MiB" << std::flush;
}

}  // namespace packer
