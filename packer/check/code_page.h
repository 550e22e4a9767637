// The Windows single-byte ANSI code pages by tables of our own, so that
// Setup.ini gets the same bytes whatever the build machine's locale, and the
// check reads a file as setup.exe will on a system with that code page.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace packer {

struct CodePageTable {
    uint16_t number;
    const char* name;
    std::array<char16_t, 128> high;  // bytes 0x80-0xFF; 0: no character
};
extern const CodePageTable kCodePageTables[];  // code_page_tables.cpp
extern const size_t kCodePageTableCount;

inline constexpr int kDefaultCodePage = 1252;

class CodePage {
public:
    // The code page `number`; when setup-pack has no table for it, nothing
    // and, in `why`, the reason (a multi-byte code page, or no ANSI code page).
    static std::optional<CodePage> Find(long number, std::string& why);
    static CodePage Default();  // kDefaultCodePage

    int Number() const { return table_->number; }
    std::string Name() const;  // "code page 1252 (Western European)"
    bool Defined(unsigned char byte) const { return byte < 0x80 || table_->high[byte - 0x80] != 0; }

    // Text to bytes. False at the first character the code page cannot
    // hold, which `missing` then names (a whole code point, surrogates joined).
    bool Encode(std::wstring_view text, std::string& bytes, char32_t& missing) const;
    // Bytes to text; an undefined byte becomes U+FFFD.
    std::wstring Decode(std::string_view bytes) const;

private:
    explicit CodePage(const CodePageTable& table) : table_(&table) {}
    const CodePageTable* table_;
};

// The line `build` ends Setup.ini with, "; code page 1252": it holds no "=",
// so setup.exe skips it, and it tells `check` which code page the file was
// written in. The number such a line names, if the line is one.
std::string CodePageLine(const CodePage& page);
std::optional<long> CodePageOfLine(std::string_view line);

// A code page as the installer's line reader uses it.
class CodePageText final : public platform::AnsiText {
public:
    explicit CodePageText(CodePage page) : page_(page) {}
    std::string ToAnsi(std::wstring_view text) override;  // '?' for what it cannot hold
    std::wstring FromAnsi(std::string_view bytes) override { return page_.Decode(bytes); }

private:
    CodePage page_;
};

}  // namespace packer
