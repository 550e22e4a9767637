#include "temporary_names.h"

#include <atomic>

namespace uz {
namespace {

constexpr std::string_view kPrefix = ".unzip32-";
constexpr std::string_view kSuffix = ".tmp";
constexpr size_t kDigits = 16;
constexpr char kHex[] = "0123456789abcdef";

}  // namespace

std::string NextTemporaryName(uint32_t processId) {
    static std::atomic<uint32_t> serial{0};
    const uint64_t id = (static_cast<uint64_t>(processId) << 32) | ++serial;
    std::string name(kPrefix);
    for (size_t i = kDigits; i-- > 0;) name += kHex[(id >> (4 * i)) & 0xF];
    name += kSuffix;
    return name;
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() != kPrefix.size() + kDigits + kSuffix.size()) return false;
    if (name.substr(0, kPrefix.size()) != kPrefix || name.substr(name.size() - kSuffix.size()) != kSuffix)
        return false;
    for (const char c : name.substr(kPrefix.size(), kDigits))
        if (std::string_view(kHex, kDigits).find(c) == std::string_view::npos) return false;
    return true;
}

}  // namespace uz
