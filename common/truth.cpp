#include "common/truth.h"

#include <cwctype>
#include <string>

#include "common/failure.h"
#include "common/number_text.h"

namespace common {

namespace {

bool EqualsIgnoringCase(std::wstring_view text, std::wstring_view word) {
    if (text.size() != word.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (static_cast<wchar_t>(std::towlower(text[i])) != word[i]) return false;
    }
    return true;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Reads [blanks] [sign] digits [. digits] [e [sign] digits] [blanks] and tells
// whether the text is such a number and whether any of its digits is non-zero.
bool ReadNumber(std::wstring_view text, bool& nonZero) {
    size_t i = 0, n = text.size();
    auto digits = [&](bool mantissa) {
        size_t start = i;
        for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i) {
            if (mantissa && text[i] != L'0') nonZero = true;
        }
        return i - start;
    };
    nonZero = false;
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && (text[i] == L'+' || text[i] == L'-')) ++i;
    size_t count = digits(true);
    if (i < n && text[i] == L'.') {
        ++i;
        count += digits(true);
    }
    if (count == 0) return false;
    if (i < n && (text[i] == L'e' || text[i] == L'E')) {
        ++i;
        if (i < n && (text[i] == L'+' || text[i] == L'-')) ++i;
        if (digits(false) == 0) return false;
    }
    while (i < n && IsBlank(text[i])) ++i;
    return i == n;
}

}  // namespace

Truth16 TextToTruth(std::wstring_view text) {
    if (EqualsIgnoringCase(text, L"true")) return kTrue;
    if (EqualsIgnoringCase(text, L"false")) return kFalse;
    bool nonZero = false;
    if (ReadNumber(text, nonZero)) return ToTruth(nonZero);
    Raise(FailureNumber::TypeMismatch, L"\"" + std::wstring(text) + L"\" is not a truth value");
}

int16_t NarrowTo16(int32_t value) {
    if (value < INT16_MIN || value > INT16_MAX) {
        Raise(FailureNumber::Overflow, common::DecimalText(value) + L" does not fit in 16 bits");
    }
    return static_cast<int16_t>(value);
}

}  // namespace common
