// The code page tables and the case folding the names are compared with.
#include <gtest/gtest.h>

#include "packer/base/text.h"
#include "packer/check/code_page.h"

namespace {

// Every defined byte of every table decodes to a character that encodes
// back to it, and an undefined one is no character.
TEST(CodePage, EveryTableRoundTrips) {
    for (size_t t = 0; t < packer::kCodePageTableCount; ++t) {
        std::string why;
        const auto page = packer::CodePage::Find(packer::kCodePageTables[t].number, why);
        ASSERT_TRUE(page) << why;
        for (int byte = 1; byte < 256; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            const std::wstring text = page->Decode(one);
            std::string back;
            char32_t missing = 0;
            EXPECT_EQ(page->Encode(text, back, missing) && back == one, page->Defined(byte))
                << page->Number() << " byte " << byte;
        }
    }
}

TEST(CodePage, RefusesWhatItHasNoTableFor) {
    std::string why;
    EXPECT_FALSE(packer::CodePage::Find(932, why));
    EXPECT_NE(why.find("more than one byte per character"), std::string::npos) << why;
    EXPECT_FALSE(packer::CodePage::Find(437, why));
    EXPECT_NE(why.find("not a Windows ANSI code page"), std::string::npos) << why;
}

TEST(FoldCase, LettersOfTheSingleByteCodePages) {
    const std::pair<const wchar_t*, const wchar_t*> pairs[] = {
        {L"readme.txt", L"README.TXT"}, {L"caf\u00E9", L"CAF\u00C9"}, {L"\u00FF", L"\u0178"},
        {L"\u0105\u013E\u017C", L"\u0104\u013D\u017B"},  // Polish, Slovak: both parities of Latin Extended-A
        {L"\u044F\u0451", L"\u042F\u0401"},              // Cyrillic
        {L"\u03C2\u03AC\u03CE", L"\u03A3\u0386\u038F"},  // Greek final sigma, accented
        {L"\u00DF\u00F7", L"\u00DF\u00F7"},              // no upper case of their own
    };
    for (const auto& [lower, upper] : pairs) EXPECT_EQ(packer::FoldCase(lower), upper);
}

}  // namespace
