#include "unzip32/os/temporary_names.h"

#include <atomic>
#include <cstring>

namespace uz {
namespace {

constexpr char kPrefix[] = ".unzip32-";
constexpr char kSuffix[] = ".tmp";
constexpr size_t kPrefixSize = sizeof kPrefix - 1, kDigits = 16, kSize = kPrefixSize + kDigits + sizeof kSuffix - 1;
constexpr char kHex[] = "0123456789abcdef";

}  // namespace

std::string NextTemporaryName(uint32_t processId) {
    static std::atomic<uint32_t> serial{0};
    const uint64_t id = (static_cast<uint64_t>(processId) << 32) | ++serial;
    char name[kSize + 1] = {};
    std::memcpy(name, kPrefix, kPrefixSize);
    for (size_t i = 0; i < kDigits; ++i) name[kPrefixSize + i] = kHex[(id >> (4 * (kDigits - 1 - i))) & 0xF];
    std::memcpy(name + kPrefixSize + kDigits, kSuffix, sizeof kSuffix - 1);
    return std::string(name, kSize);
}

bool IsTemporaryName(std::string_view name) {
    if (name.size() != kSize || name.compare(0, kPrefixSize, kPrefix) != 0 ||
        name.compare(kPrefixSize + kDigits, std::string_view::npos, kSuffix) != 0)
        return false;
    for (size_t i = kPrefixSize; i < kPrefixSize + kDigits; ++i)
        if (!std::memchr(kHex, name[i], kDigits)) return false;
    return true;
}

}  // namespace uz
