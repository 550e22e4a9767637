// The times of the archive's entries. The extended timestamp field (0x5455)
// carries the moment itself, in seconds since 1970 UTC, and is what the unzip
// library (and 7-Zip, bsdtar) sets the installed files' times from.
// The MS-DOS date and time fields have no time zone; they hold the same moment
// in UTC, so that the archive is the same whatever the build machine's zone.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace packer {

struct DosTime {
    uint16_t time = 0;  // bits 0-4 seconds/2, 5-10 minute, 11-15 hour
    uint16_t date = 0;  // bits 0-4 day, 5-8 month, 9-15 years since 1980

    bool operator==(const DosTime&) const = default;
};

// A moment (seconds since 1970, UTC) in UTC. Odd seconds round down; a moment
// before 1980 or after 2107 takes the nearest end of the range.
DosTime ToDosTime(int64_t moment);

// The moment as the extended timestamp holds it (a signed 32-bit count of
// seconds), or nothing when it does not fit.
std::optional<int32_t> ToUnixTime32(int64_t moment);

}  // namespace packer
