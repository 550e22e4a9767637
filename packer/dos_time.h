// MS-DOS date and time fields of the archive, in local time as the format
// has them, with two-second resolution.
#pragma once

#include <cstdint>
#include <ctime>

namespace packer {

struct DosTime {
    uint16_t time = 0;  // bits 0-4 seconds/2, 5-10 minute, 11-15 hour
    uint16_t date = 0;  // bits 0-4 day, 5-8 month, 9-15 years since 1980

    bool operator==(const DosTime&) const = default;
};

// A moment (seconds since 1970, UTC) in local time. Odd seconds round down;
// a moment before 1980 or after 2107 takes the nearest end of the range.
DosTime ToDosTime(std::time_t moment);

}  // namespace packer
