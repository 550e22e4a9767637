#include "packer/dos_time.h"

#include <algorithm>

#include "packer/host.h"
#include "unzip32/zip_format.h"

namespace packer {

namespace {

using uz::zip::kDosEpochYear;
constexpr int kDosLastYear = kDosEpochYear + 127;  // 7 bits of years

}  // namespace

DosTime ToDosTime(std::time_t moment) {
    std::tm local{};
    if (!LocalTimeOf(moment, local)) return {0, (1 << 5) | 1};  // 1980-01-01 00:00:00
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
