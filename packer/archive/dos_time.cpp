#include "packer/archive/dos_time.h"

#include <limits>

#include "unzip32/reuse/zip_archive.h"

namespace packer {

namespace {

using uz::zip::kDosEpochYear;
constexpr int kDosLastYear = kDosEpochYear + 127;  // 7 bits of years
constexpr int64_t kSecondsPerDay = 86400;

struct CivilDate {
    int64_t year;
    int month, day;
};

// Days since 1970-01-01 to a date of the proleptic Gregorian calendar (the
// "civil from days" algorithm: eras of 400 years, March-based years).
CivilDate CivilFromDays(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;  // March is 0
    const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

}  // namespace

DosTime ToDosTime(int64_t moment) {
    int64_t days = moment / kSecondsPerDay;
    int64_t seconds = moment % kSecondsPerDay;
    if (seconds < 0) {
        seconds += kSecondsPerDay;
        --days;
    }
    const CivilDate date = CivilFromDays(days);
    if (date.year < kDosEpochYear) return {0, (1 << 5) | 1};  // 1980-01-01 00:00:00
    if (date.year > kDosLastYear) {
        return {static_cast<uint16_t>((23 << 11) | (59 << 5) | 29),
                static_cast<uint16_t>(((kDosLastYear - kDosEpochYear) << 9) | (12 << 5) | 31)};
    }
    const int hour = static_cast<int>(seconds / 3600);
    const int minute = static_cast<int>(seconds / 60 % 60);
    DosTime out;
    out.time = static_cast<uint16_t>((hour << 11) | (minute << 5) | (seconds % 60 / 2));
    out.date = static_cast<uint16_t>(((date.year - kDosEpochYear) << 9) | (date.month << 5) | date.day);
    return out;
}

std::optional<int32_t> ToUnixTime32(int64_t moment) {
    if (moment < std::numeric_limits<int32_t>::min() || moment > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(moment);
}

}  // namespace packer
