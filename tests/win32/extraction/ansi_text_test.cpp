// Conversion to and from the ANSI code page, checked for Western European
// Windows (code page 1252).
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/win32_services.h"

namespace {

struct AnsiCase {
    const wchar_t* text;
    const char* bytes;
};

const AnsiCase kToAnsi[] = {
    {L"Setup.zip", "Setup.zip"},
    {L"caf\u00e9", "caf\xe9"},
    {L"\u20ac", "\x80"},
    // No look-alike for a character the code page lacks.
    {L"\u0101", "?"},          // a with macron, best fit would give 'a'
    {L"C:\uff0fx", "C:?x"},     // fullwidth solidus, best fit would give '/'
    {L"\u4e00", "?"},
    {L"", ""},
};

TEST(AnsiText, ToAnsiExactOrQuestionMark) {
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    platform::win32::Win32AnsiText ansi;
    for (const AnsiCase& c : kToAnsi) EXPECT_EQ(ansi.ToAnsi(c.text), c.bytes);
}

TEST(AnsiText, FromAnsiKeepsEveryByte) {
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    platform::win32::Win32AnsiText ansi;
    EXPECT_EQ(ansi.FromAnsi("caf\xe9 \x80"), L"caf\u00e9 \u20ac");
    EXPECT_EQ(ansi.FromAnsi(std::string_view("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_EQ(ansi.FromAnsi(""), L"");
}

}  // namespace
