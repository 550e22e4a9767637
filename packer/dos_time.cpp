#include "packer/dos_time.h"

#include <algorithm>

namespace packer {

namespace {

constexpr int kDosEpochYear = 1980;
constexpr int kDosLastYear = 2107;  // 7 bits of years

bool LocalTime(std::time_t moment, std::tm& out) {
#ifdef _WIN32
    return localtime_s(&out, &moment) == 0;
#else
    return localtime_r(&moment, &out) != nullptr;
#endif
}

}  // namespace

DosTime ToDosTime(std::time_t moment) {
    std::tm local{};
    if (!LocalTime(moment, local)) return {0, (1 << 5) | 1};  // 1980-01-01 00:00:00
    const int year = local.tm_year + 1900;
    if (year < kDosEpochYear) return {0, (1 << 5) | 1};
    if (year > kDosLastYear) {
        return {static_cast<uint16_t>((23 << 11) | (59 << 5) | 29),
                static_cast<uint16_t>(((kDosLastYear - kDosEpochYear) << 9) | (12 << 5) | 31)};
    }
    const int seconds = std::min(local.tm_sec, 59);  // a leap second stays in its minute
    DosTime out;
    out.time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (seconds / 2));
    out.date = static_cast<uint16_t>(((year - kDosEpochYear) << 9) | ((local.tm_mon + 1) << 5) |
                                     local.tm_mday);
    return out;
}

}  // namespace packer
