// The 80-column lines of the entry listing.
#pragma once

#include <cstdint>
#include <string>

namespace unzip {

constexpr size_t kListingWidth = 80;

// "Filename:", "Size", "Date" and "Time" over their columns.
std::wstring ListingHeader();

// One entry: name in columns 1-50, size right-aligned in 51-57, the date as
// mm/dd/yy in 60-67, the time as h:mm (blank-padded hour) in 70-74.
std::wstring ListingEntry(const std::wstring& name, int32_t size, int16_t month, int16_t day,
                          int16_t year, int16_t hour, int16_t minute);

}  // namespace unzip
