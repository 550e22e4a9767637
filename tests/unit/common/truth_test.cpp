#include "common/truth.h"

#include <gtest/gtest.h>

#include "common/failure.h"
#include "expect_failure.h"

namespace {

using common::Failure;
using common::Truth16;
using testsupport::ExpectFailure;

struct TruthCase {
    const wchar_t* text;
    Truth16 expected;
};

void PrintTo(const TruthCase& c, std::ostream* out) {
    *out << testing::PrintToString(std::wstring(c.text));
}

// Readable test names: the text's letters and digits ("m1" for "-1").
std::string CaseName(const testing::TestParamInfo<TruthCase>& info) {
    std::string name;
    for (const wchar_t* p = info.param.text; *p; ++p) {
        wchar_t c = *p;
        if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) {
            name.push_back(static_cast<char>(c));
        } else {
            name += c == L'-' ? "m" : c == L'+' ? "p" : c == L'.' ? "dot" : "_";
        }
    }
    return name + "_" + std::to_string(info.index);
}

class TextToTruthTest : public testing::TestWithParam<TruthCase> {};

TEST_P(TextToTruthTest, Converts) {
    EXPECT_EQ(common::TextToTruth(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Words, TextToTruthTest,
                         testing::Values(TruthCase{L"true", -1}, TruthCase{L"TRUE", -1},
                                         TruthCase{L"tRuE", -1}, TruthCase{L"false", 0},
                                         TruthCase{L"False", 0}),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(Numbers, TextToTruthTest,
                         testing::Values(TruthCase{L"0", 0}, TruthCase{L"1", -1},
                                         TruthCase{L"-1", -1}, TruthCase{L"5", -1},
                                         TruthCase{L"+0", 0}, TruthCase{L" 7 ", -1},
                                         TruthCase{L"0.0", 0}, TruthCase{L"0.5", -1},
                                         TruthCase{L".5", -1}, TruthCase{L"00", 0},
                                         TruthCase{L"1e3", -1}, TruthCase{L"0e9", 0}),
                         CaseName);

TEST(TextToTruth, OtherTextsAreATypeMismatch) {
    for (const wchar_t* text : {L"", L"yes", L"no", L" ", L"truee", L"1x", L"-", L".", L"1e",
                                L"true ", L"0x1"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        ExpectFailure(13, [&] { common::TextToTruth(text); });
    }
}

TEST(NarrowTo16, KeepsValuesInRangeAndOverflowsOutside) {
    EXPECT_EQ(common::NarrowTo16(-32768), -32768);
    EXPECT_EQ(common::NarrowTo16(32767), 32767);
    EXPECT_EQ(common::NarrowTo16(-1), -1);
    for (int32_t value : {32768, -32769, 40000, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(value);
        ExpectFailure(6, [&] { common::NarrowTo16(value); });
    }
}

TEST(Failures, ReraiseKeepsNumberAndDescriptionUnderANewSource) {
    const Failure f = ExpectFailure(53, [] {
        common::ReraiseAs(L"Outer::Step", [] { common::Raise(common::FailureNumber::FileNotFound, L"x"); });
    });
    EXPECT_EQ(f.Description(), L"File not found: x");
    EXPECT_EQ(f.Source(), L"Outer::Step");
}

TEST(Failures, TolerateSwallowsFailuresOnly) {
    EXPECT_FALSE(common::Tolerate([] { common::Raise(common::FailureNumber::Overflow); }));
    EXPECT_TRUE(common::Tolerate([] {}));
    EXPECT_THROW(common::Tolerate([] { throw 42; }), int);
}

}  // namespace
