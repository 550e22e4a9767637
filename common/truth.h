// 16-bit truth values and the conversions that produce them.
#pragma once

#include <cstdint>
#include <string_view>

namespace common {

// A truth value as the installer stores it: all bits set for true, 0 for false.
using Truth16 = int16_t;
constexpr Truth16 kTrue = -1;
constexpr Truth16 kFalse = 0;

constexpr Truth16 ToTruth(bool value) { return value ? kTrue : kFalse; }

// The standard conversion of a text to a truth value:
//  - "true" / "false" in any letter case;
//  - a number: zero is false, any other number true. Surrounding blanks, a
//    sign, decimals and an exponent are accepted ("-1", " 5 ", "0.0", "1e3").
// Anything else, the empty text included, is failure 13 (type mismatch).
Truth16 TextToTruth(std::wstring_view text);

// Narrowing of a 32-bit value to 16 bits; outside -32768..32767 is failure 6.
int16_t NarrowTo16(int32_t value);

}  // namespace common
