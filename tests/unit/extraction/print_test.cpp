// The print and service callbacks and FnPtr.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "extraction_world.h"
#include "unzip/code_module.h"

namespace {

using extraction_test::ExtractionWorld;

struct PrintCase {
    const char* label;
    std::string bytes;
    int32_t length;
    std::wstring appended;
};

const PrintCase kPrints[] = {
    {"whole text", "hello", 5, L"hello"},
    {"length 0", "hello", 0, L""},
    {"negative length", "hello", -4, L""},
    {"length shorter than the text", "abcdef", 3, L"abc"},
    {"zero byte at index 3", std::string("abc\0defghij", 11), 10, L"abc"},
    {"leading LF stands for CR LF alone", "\nmore text", 10, L"\r\n"},
    {"trailing LF stays", "line\n", 5, L"line\n"},
    {"inner LF stays bare", "a\nb", 3, L"a\nb"},
    {"CR passes unchanged", "a\r\n", 3, L"a\r\n"},
};

class Print : public testing::TestWithParam<PrintCase> {
protected:
    ExtractionWorld world;
};

TEST_P(Print, AppendsWhatTheRulesLeave) {
    const PrintCase& c = GetParam();
    unzip::State().PrintOutput = L"before|";
    unzip::State().LastMessage = L"something else";
    EXPECT_EQ(unzip::DllPrint(c.bytes.data(), c.length), 0);
    EXPECT_EQ(unzip::State().PrintOutput, L"before|" + c.appended);
    EXPECT_EQ(unzip::State().LastMessage, unzip::State().PrintOutput);
}

INSTANTIATE_TEST_SUITE_P(Texts, Print, testing::ValuesIn(kPrints),
                         [](const testing::TestParamInfo<PrintCase>& info) {
                             std::string name;
                             for (char ch : std::string(info.param.label))
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

class Printing : public testing::Test {
protected:
    ExtractionWorld world;
};

TEST_F(Printing, TwoCallsCollectInOrder) {
    unzip::DllPrint("a", 1);
    unzip::DllPrint("b", 1);
    EXPECT_EQ(unzip::State().LastMessage, L"ab");
    EXPECT_EQ(unzip::State().PrintOutput, L"ab");
}

TEST_F(Printing, NothingBeyondIndex32800IsRead) {
    // A full buffer without a zero and a length beyond it: reading past the
    // 32,801 bytes would be caught.
    auto text = std::make_unique<char[]>(32801);
    std::fill_n(text.get(), 32801, 'x');
    unzip::DllPrint(text.get(), 100000);
    EXPECT_EQ(unzip::State().PrintOutput, std::wstring(32801, L'x'));
}

TEST_F(Printing, NoTextAtAllAppendsNothing) {
    unzip::State().PrintOutput = L"kept";
    EXPECT_EQ(unzip::DllPrint(nullptr, 20), 0);
    EXPECT_EQ(unzip::State().LastMessage, L"kept");
}

TEST_F(Printing, MultiByteTextIsDecodedAsAWhole) {
    extraction_test::Utf8Locale utf8;
    if (!utf8.Active()) GTEST_SKIP() << "no multi-byte code page here";
    unzip::DllPrint("caf\xc3\xa9.txt", 9);
    EXPECT_EQ(unzip::State().LastMessage, L"caf\u00e9.txt");
}

TEST_F(Printing, BytesThatStartNoCharacterStandAsQuestionMarks) {
    extraction_test::Utf8Locale utf8;
    if (!utf8.Active()) GTEST_SKIP() << "no multi-byte code page here";
    // A stray byte, and a character cut short by the length.
    unzip::DllPrint("a\xff" "b", 3);
    unzip::DllPrint("|\xc3\xa9", 2);
    EXPECT_EQ(unzip::State().LastMessage, L"a?b|?");
}

TEST_F(Printing, ServiceAnswersZeroAndRecordsNothing) {
    unzip::State().PrintOutput = L"p";
    EXPECT_EQ(unzip::DllService("entry.txt", 9), 0);
    EXPECT_EQ(unzip::DllService(nullptr, -1), 0);
    EXPECT_EQ(unzip::State().PrintOutput, L"p");
    EXPECT_TRUE(world.boxes.empty());
}

TEST(FnPtr, ReturnsItsArgument) {
    const intptr_t values[] = {0, 1, -1, INTPTR_MAX, INTPTR_MIN,
                               reinterpret_cast<intptr_t>(&unzip::DllPrint)};
    for (intptr_t v : values) EXPECT_EQ(unzip::FnPtr(v), v);
}

}  // namespace
