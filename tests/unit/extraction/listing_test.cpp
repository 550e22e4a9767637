// The listing callback: 80-column lines, the header, the count.
#include <gtest/gtest.h>

#include <memory>

#include "extraction_world.h"
#include "unzip/code_module.h"

namespace {

using extraction_test::ExtractionWorld;

const std::wstring kHeader =
    L"Filename:                                           Size     Date     Time      ";

struct ListingCase {
    const char* name;
    int32_t size;
    uint32_t month, day, year, hour, minute;
    const wchar_t* line;
};

const ListingCase kEntries[] = {
    {"readme.txt", 1234, 5, 7, 2004, 9, 5,
     L"readme.txt                                           1234  05/07/04   9:05      "},
    // a long name is cut after column 50; size 0; hour 0
    {"aaaaaaaaaaaaaaaaaaaaaaaaaabbbbbbbbbbbbbbbbbbbbbbbbcdef", 0, 12, 31, 1999, 0, 0,
     L"aaaaaaaaaaaaaaaaaaaaaaaaaabbbbbbbbbbbbbbbbbbbbbbbb      0  12/31/99   0:00      "},
    // eight digits keep their last seven; year 4; hour 14
    {"big.bin", 12345678, 1, 1, 4, 14, 59,
     L"big.bin                                           2345678  01/01/04  14:59      "},
    // 2^31 arrives as a negative size
    {"huge.bin", INT32_MIN, 11, 2, 2021, 23, 7,
     L"huge.bin                                          7483648  11/02/21  23:07      "},
    // an empty name leaves its columns blank; seven digits fill the size field
    {"", 1234567, 10, 10, 2010, 10, 10,
     L"                                                  1234567  10/10/10  10:10      "},
    // only the low 16 bits of the date and time arguments count
    {"x", 1, 0x10005, 0xFFFF0007, 0x200007D4, 0x70009, 0x10005,
     L"x                                                       1  05/07/04   9:05      "},
};

class ListingLine : public testing::TestWithParam<ListingCase> {
protected:
    ExtractionWorld world;
};

void List(const char* name, int32_t size, uint32_t month = 1, uint32_t day = 1,
          uint32_t year = 2000, uint32_t hour = 0, uint32_t minute = 0) {
    unzip::ReceiveDllMessage(size, 0, 0, month, day, year, hour, minute, 0, name, "Stored", 0, 0);
}

TEST_P(ListingLine, FirstEntryBringsTheHeader) {
    const ListingCase& c = GetParam();
    ASSERT_EQ(std::wstring(c.line).size(), 80u);
    List(c.name, c.size, c.month, c.day, c.year, c.hour, c.minute);
    EXPECT_EQ(unzip::State().ListingText, kHeader + L"\r\n" + c.line + L"\r\n");
    EXPECT_EQ(unzip::State().ListingText.size(), 164u);
    EXPECT_EQ(unzip::State().ListingCount, 1);
}

INSTANTIATE_TEST_SUITE_P(Entries, ListingLine, testing::ValuesIn(kEntries));

class Listing : public testing::Test {
protected:
    ExtractionWorld world;
};

TEST_F(Listing, LaterEntriesAddOneLineEachAndNoSecondHeader) {
    unzip::State().ListingText = L"left from before";
    List("one", 1);
    List("two", 2);
    const std::wstring& text = unzip::State().ListingText;
    ASSERT_EQ(text.size(), 3 * 82u);
    EXPECT_EQ(text.substr(0, 80), kHeader);  // replaced, not extended
    EXPECT_EQ(text.substr(164, 3), L"two");
    EXPECT_EQ(text.find(L"Filename:", 1), std::wstring::npos);
    EXPECT_EQ(unzip::State().ListingCount, 2);
}

TEST_F(Listing, CountStopsAt32767AndTheLineIsStillAdded) {
    unzip::State().ListingCount = 32767;
    unzip::State().ListingText = L"earlier";
    List("last", 5);
    EXPECT_EQ(unzip::State().ListingCount, 32767);
    ASSERT_EQ(unzip::State().ListingText.size(), 7u + 82u);
    EXPECT_EQ(unzip::State().ListingText.substr(7, 4), L"last");
}

TEST_F(Listing, NameIsReadOnlyWithinItsFirst256Bytes) {
    // No zero byte within the buffer: a read past 256 bytes would be caught.
    auto name = std::make_unique<char[]>(256);
    std::fill_n(name.get(), 256, 'n');
    List(name.get(), 1);
    EXPECT_EQ(unzip::State().ListingText.substr(82, 50), std::wstring(50, L'n'));
    EXPECT_EQ(unzip::State().ListingText.substr(82 + 50, 7), L"      1");
}

TEST_F(Listing, NoNameAtAllLeavesTheNameColumnsBlank) {
    List(nullptr, 3);
    EXPECT_EQ(unzip::State().ListingText.substr(82, 57), std::wstring(56, L' ') + L"3");
}

TEST_F(Listing, MultiByteNamesKeepTheirCharacters) {
    extraction_test::Utf8Locale utf8;
    if (!utf8.Active()) GTEST_SKIP() << "no multi-byte code page here";
    std::string name;
    for (int i = 0; i < 60; ++i) name += "\xc3\xa9";  // 60 x e-acute, 120 bytes
    List(name.c_str(), 42);
    const std::wstring& text = unzip::State().ListingText;
    ASSERT_EQ(text.size(), 164u);
    EXPECT_EQ(text.substr(82, 50), std::wstring(50, L'\u00e9'));
    EXPECT_EQ(text.substr(82 + 50, 7), L"     42");
}

}  // namespace
