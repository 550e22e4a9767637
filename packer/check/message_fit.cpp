#include "packer/check/message_fit.h"

#include <array>

namespace packer {

namespace {

constexpr int kLabelWidth = 371;  // pixels at 96 DPI

// Widths in pixels of the dialog font ("MS Shell Dlg", 8 points, 96 DPI) for
// the characters of code page 1252 from the space (0x20) to 0xFF, measured
// with GetTextExtentPoint32 on Wine's metric-compatible MS Sans Serif.
constexpr std::array<unsigned char, 224> kWidths = {
    3, 3, 5, 7, 6, 8, 6, 2, 3, 3, 4, 6, 3, 3, 3, 5,  6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 3, 3, 6, 6, 6, 6,
    11, 7, 7, 7, 8, 7, 6, 8, 8, 3, 5, 7, 6, 9, 8, 8, 7, 8, 8, 7, 7, 8, 7, 11, 7, 7, 7, 3, 5, 3, 6, 6,
    3, 6, 6, 6, 6, 6, 3, 6, 6, 2, 2, 6, 2, 8, 6, 6,  6, 6, 3, 5, 3, 6, 6, 8, 5, 5, 5, 4, 2, 4, 7, 3,
    6, 3, 3, 3, 5, 6, 5, 5, 3, 11, 7, 6, 10, 3, 7, 3, 3, 3, 3, 4, 4, 6, 5, 6, 3, 9, 5, 6, 10, 3, 5, 7,
    3, 3, 6, 6, 6, 6, 2, 6, 3, 9, 4, 6, 6, 3, 8, 6,  4, 6, 3, 3, 3, 6, 6, 3, 3, 3, 4, 6, 8, 8, 8, 6,
    7, 7, 7, 7, 7, 7, 10, 7, 7, 7, 7, 7, 3, 3, 3, 3, 8, 8, 8, 8, 8, 8, 8, 6, 8, 8, 8, 8, 8, 7, 7, 6,
    6, 6, 6, 6, 6, 6, 10, 6, 6, 6, 6, 6, 2, 4, 4, 4, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 5, 6, 5,
};
// The characters of 0x80-0x9F in code page 1252, in byte order.
constexpr std::wstring_view kWindows1252Extras =
    L"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F"
    L"\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178";
constexpr int kOtherWidth = 6;  // the font's average, for the other scripts

int WidthOf(wchar_t c) {
    if (c >= 0x20 && c < 0x80) return kWidths[c - 0x20];
    if (c >= 0xA0 && c <= 0xFF) return kWidths[c - 0x20];
    const size_t extra = kWindows1252Extras.find(c);
    return extra == std::wstring_view::npos ? kOtherWidth : kWidths[0x80 - 0x20 + extra];
}

int WidthOf(std::wstring_view text) {
    int width = 0;
    for (wchar_t c : text) width += WidthOf(c);
    return width;
}

}  // namespace

std::wstring ShownMessage(std::wstring_view value) {
    std::wstring shown;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != L'&') {
            shown.push_back(value[i]);
        } else if (i + 1 < value.size() && value[i + 1] == L'&') {
            shown.push_back(L'&');
            ++i;
        }
    }
    return shown;
}

int WrappedLines(std::wstring_view shown, std::wstring* lastShown) {
    const int space = WidthOf(L' ');
    int lines = 1;
    int x = 0;
    size_t start = 0;
    while (start <= shown.size()) {
        size_t end = shown.find(L' ', start);
        if (end == std::wstring_view::npos) end = shown.size();
        const int word = WidthOf(shown.substr(start, end - start));
        // A word wider than the label stays whole on its own line.
        if (x > 0 && x + space + word > kLabelWidth) {
            if (lines == kMessageLinesShown && lastShown) *lastShown = shown.substr(0, start);
            ++lines;
            x = word;
        } else {
            x += (x > 0 ? space : 0) + word;
        }
        start = end + 1;
    }
    return lines;
}

}  // namespace packer
