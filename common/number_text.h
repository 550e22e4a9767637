// Decimal text of an integer. Used instead of std::to_wstring, which goes
// through the C library's printf family and, on Windows, links its whole
// floating-point formatter into the program.
#pragma once

#include <cstdint>
#include <string>

namespace common {

inline std::wstring DecimalText(int64_t value) {
    wchar_t digits[24];
    size_t n = 0;
    // Work on the magnitude as unsigned: -2^63 has no positive counterpart.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    std::wstring text;
    if (value < 0) text.push_back(L'-');
    while (n > 0) text.push_back(digits[--n]);
    return text;
}

}  // namespace common
