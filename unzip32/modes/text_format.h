// Small fixed-width formatting for listing lines, without the C library's
// printf family (which would link its whole floating-point formatter into
// the DLL).
#pragma once

#include <cstdint>
#include <string>

namespace uz {

// The decimal digits of `value`, blanks (or `fill`) added on the left up to `width`.
inline std::string Decimal(uint64_t value, size_t width = 0, char fill = ' ') {
    char digits[24];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::string text(n < width ? width - n : 0, fill);
    while (n > 0) text.push_back(digits[--n]);
    return text;
}

// Eight lower-case hexadecimal digits.
inline std::string Hex8(uint32_t value) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4) text[static_cast<size_t>(i)] = kDigits[value & 0xF];
    return text;
}

// `text` with blanks added on the right up to `width`.
inline std::string PadRight(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

}  // namespace uz
