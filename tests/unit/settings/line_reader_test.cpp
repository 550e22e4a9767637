#include "platform/line_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/failure.h"
#include "fake_world.h"

namespace {

using fake::Latin1Text;
using fake::StringSource;

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::wstring> lines;
};

const LineCase kLineCases[] = {
    {"Empty", "", {}},
    {"OneLineWithoutEnd", "abc", {L"abc"}},
    {"CrLf", "a\r\nb\r\n", {L"a", L"b"}},
    {"CrOnly", "a\rb\r", {L"a", L"b"}},
    {"LfDoesNotEndALine", "a\nb\nc", {L"a\nb\nc"}},
    {"LfBeforeCrStaysInTheLine", "a\n\rb", {L"a\n", L"b"}},
    {"LfCrIsNotALineEndPair", "a\n\r\nb", {L"a\n", L"b"}},
    {"OnlyOneLfJoinsTheCr", "a\r\n\nb", {L"a", L"\nb"}},
    {"BlankLines", "\r\n\r\r\n", {L"", L"", L""}},
    {"LoneCr", "\r", {L""}},
    {"LoneLf", "\n", {L"\n"}},
    {"ByteOrderMarkIsText", "\xEF\xBB\xBFkey=v", {L"\u00EF\u00BB\u00BFkey=v"}},
    {"ZeroBytesAreText", std::string("a\0b\r", 4), {std::wstring(L"a\0b", 3)}},
    {"LongLine", std::string(10000, 'x') + "\r\n" + "y", {std::wstring(10000, L'x'), L"y"}},
};

class LineReaderTable : public testing::TestWithParam<std::tuple<LineCase, size_t>> {};

// Each file is read in several chunk sizes, so that a CR LF pair and lines
// longer than a read fall across the edge of a read.
TEST_P(LineReaderTable, SplitsLines) {
    const auto& [c, chunk] = GetParam();
    Latin1Text latin1;
    platform::LineReader reader(std::make_unique<StringSource>(c.bytes, chunk), &latin1);
    std::vector<std::wstring> lines;
    while (!reader.AtEnd()) {
        lines.push_back(reader.ReadLine());
        ASSERT_LE(lines.size(), c.lines.size() + 1) << "runaway reader";
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_TRUE(reader.AtEnd());
}

INSTANTIATE_TEST_SUITE_P(Files, LineReaderTable,
                         testing::Combine(testing::ValuesIn(kLineCases),
                                          testing::Values(size_t{1}, size_t{2}, size_t{4096})),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_chunk" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST(LineReader, ReadingPastTheEndFails) {
    Latin1Text latin1;
    platform::LineReader reader(std::make_unique<StringSource>("a", 8), &latin1);
    EXPECT_EQ(reader.ReadLine(), L"a");
    EXPECT_THROW(reader.ReadLine(), common::Failure);
}

// Without a converter of its own the reader uses the bound ANSI conversion.
TEST(LineReader, UsesTheBoundConversionByDefault) {
    Latin1Text latin1;
    platform::Services services;
    services.ansi = &latin1;
    platform::Bind(services);
    platform::LineReader reader(std::make_unique<StringSource>("\xE9t\xE9", 8));
    EXPECT_EQ(reader.ReadLine(), L"\u00E9t\u00E9");
    platform::Bind({});
}

}  // namespace
