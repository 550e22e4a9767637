// How much of the library's output the box after an extraction shows.
#include <gtest/gtest.h>

#include <string>

#include "installer/message_excerpt.h"

namespace {

using installer::MessageExcerpt;

std::wstring Lines(int count, const std::wstring& end = L"\n", size_t width = 10) {
    std::wstring text;
    for (int i = 0; i < count; ++i) text += std::wstring(width, static_cast<wchar_t>(L'a' + i % 26)) + end;
    return text;
}

struct Case {
    const char* name;
    std::wstring text;
    std::wstring shown;
};

class Excerpt : public testing::TestWithParam<Case> {};

TEST_P(Excerpt, ShowsWhatFits) { EXPECT_EQ(MessageExcerpt(GetParam().text), GetParam().shown); }

const std::wstring kWide(150, L'w');  // 14 such lines exceed 2,000 characters

INSTANTIATE_TEST_SUITE_P(
    Cases, Excerpt,
    testing::Values(
        Case{"Empty", L"", L""},
        Case{"TwentyLinesWhole", Lines(20), Lines(20)},
        Case{"TwentyLinesWithoutFinalEnd", Lines(20).substr(0, 219), Lines(20).substr(0, 219)},
        Case{"OneLineMore", Lines(21), Lines(20).substr(0, 219) + L"\n(1 more line not shown)"},
        Case{"SixtyLines", Lines(60), Lines(20).substr(0, 219) + L"\n(40 more lines not shown)"},
        Case{"CrLfCountedOnce", Lines(22, L"\r\n"),
             Lines(20, L"\r\n").substr(0, 238) + L"\n(2 more lines not shown)"},
        Case{"CharacterLimit", Lines(16, L"\n", 150),
             Lines(13, L"\n", 150).substr(0, 13 * 151 - 1) + L"\n(3 more lines not shown)"},
        Case{"OneHugeLine", std::wstring(5000, L'x') + L"\nnext\n",
             std::wstring(2000, L'x') + L"\n(1 more line not shown)"}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
