#include "installer/message_excerpt.h"

#include "common/number_text.h"

namespace installer {

namespace {

// The library ends its lines with LF, CR LF or CR.
size_t LineEnd(const std::wstring& text, size_t from) {
    const size_t end = text.find_first_of(L"\r\n", from);
    return end == std::wstring::npos ? text.size() : end;
}

size_t NextLine(const std::wstring& text, size_t end) {
    if (end >= text.size()) return text.size();
    return end + (text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n' ? 2 : 1);
}

}  // namespace

std::wstring MessageExcerpt(const std::wstring& text) {
    size_t kept = 0;  // end of what is shown
    size_t lines = 0;
    size_t pos = 0;
    while (pos < text.size() && lines < kExcerptLines) {
        const size_t end = LineEnd(text, pos);
        if (end > kExcerptCharacters) {
            // A line that alone exceeds the room is shown cut, if it is the first.
            if (lines == 0) kept = kExcerptCharacters, pos = NextLine(text, end), lines = 1;
            break;
        }
        kept = end;
        pos = NextLine(text, end);
        ++lines;
    }
    if (pos >= text.size()) return text;

    size_t left = 0;
    for (size_t at = pos; at < text.size(); at = NextLine(text, LineEnd(text, at))) ++left;
    std::wstring shown = text.substr(0, kept);
    shown += L"\n(";
    shown += common::DecimalText(static_cast<int64_t>(left));
    shown += left == 1 ? L" more line not shown)" : L" more lines not shown)";
    return shown;
}

}  // namespace installer
