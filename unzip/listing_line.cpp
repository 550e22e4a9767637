#include "unzip/listing_line.h"

#include <algorithm>

#include "common/number_text.h"

namespace unzip {

namespace {

// Columns (counted from 1) of the header line.
constexpr size_t kHeaderFilenameColumn = 1;
constexpr size_t kHeaderSizeColumn = 53;
constexpr size_t kHeaderDateColumn = 62;
constexpr size_t kHeaderTimeColumn = 71;

// Columns of an entry line, first and last of each field.
constexpr size_t kNameFirst = 1, kNameLast = 50;
constexpr size_t kSizeFirst = 51, kSizeLast = 57;
constexpr size_t kMonthFirst = 60, kMonthLast = 61;
constexpr size_t kDateSlash1 = 62;
constexpr size_t kDayFirst = 63, kDayLast = 64;
constexpr size_t kDateSlash2 = 65;
constexpr size_t kYearFirst = 66, kYearLast = 67;
constexpr size_t kHourFirst = 70, kHourLast = 71;
constexpr size_t kTimeColon = 72;
constexpr size_t kMinuteFirst = 73, kMinuteLast = 74;

std::wstring BlankLine() { return std::wstring(kListingWidth, L' '); }

// Writes `field` over columns first..last: at most last - first + 1 characters,
// the rest of the range stays as it is (blank in a fresh line).
void Put(std::wstring& line, size_t first, size_t last, const std::wstring& field) {
    size_t width = last - first + 1;
    line.replace(first - 1, std::min(width, field.size()), field.substr(0, width));
}

std::wstring LastCharacters(const std::wstring& text, size_t count) {
    return text.size() <= count ? text : text.substr(text.size() - count);
}

// The decimal text right-aligned in `width` columns, cut to its last characters.
std::wstring RightAligned(int32_t value, size_t width) {
    return LastCharacters(std::wstring(width, L' ') + common::DecimalText(value), width);
}

// Two characters: `pad` before the decimal text, then its last two.
std::wstring TwoColumns(int16_t value, wchar_t pad) {
    return LastCharacters(pad + common::DecimalText(value), 2);
}

}  // namespace

std::wstring ListingHeader() {
    std::wstring line = BlankLine();
    Put(line, kHeaderFilenameColumn, kHeaderFilenameColumn + 8, L"Filename:");
    Put(line, kHeaderSizeColumn, kHeaderSizeColumn + 3, L"Size");
    Put(line, kHeaderDateColumn, kHeaderDateColumn + 3, L"Date");
    Put(line, kHeaderTimeColumn, kHeaderTimeColumn + 3, L"Time");
    return line;
}

std::wstring ListingEntry(const std::wstring& name, int32_t size, int16_t month, int16_t day,
                          int16_t year, int16_t hour, int16_t minute) {
    std::wstring line = BlankLine();
    Put(line, kNameFirst, kNameLast, name);
    Put(line, kSizeFirst, kSizeLast, RightAligned(size, kSizeLast - kSizeFirst + 1));
    Put(line, kMonthFirst, kMonthLast, TwoColumns(month, L'0'));
    Put(line, kDateSlash1, kDateSlash1, L"/");
    Put(line, kDayFirst, kDayLast, TwoColumns(day, L'0'));
    Put(line, kDateSlash2, kDateSlash2, L"/");
    Put(line, kYearFirst, kYearLast, TwoColumns(year, L'0'));
    Put(line, kHourFirst, kHourLast, TwoColumns(hour, L' '));
    Put(line, kTimeColon, kTimeColon, L":");
    Put(line, kMinuteFirst, kMinuteLast, TwoColumns(minute, L'0'));
    return line;
}

}  // namespace unzip
