#include "packer/check/code_page.h"

#include <algorithm>

namespace packer {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Windows code pages of more than one byte per character: the East Asian
// double-byte ones and the Unicode transformations.
constexpr long kMultiByte[] = {932, 936, 949, 950, 1361, 20932, 54936, 65000, 65001};

char32_t CodePointAt(std::wstring_view text, size_t& i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const auto low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ++i;
                return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
        }
    }
    return c;
}

}  // namespace

std::optional<CodePage> CodePage::Find(long number, std::string& why) {
    for (size_t i = 0; i < kCodePageTableCount; ++i) {
        if (kCodePageTables[i].number == number) return CodePage(kCodePageTables[i]);
    }
    std::string known;
    for (size_t i = 0; i < kCodePageTableCount; ++i) {
        known += (i == 0 ? "" : ", ") + std::to_string(kCodePageTables[i].number);
    }
    if (std::find(std::begin(kMultiByte), std::end(kMultiByte), number) != std::end(kMultiByte)) {
        why = "code page " + std::to_string(number) +
              " uses more than one byte per character, which setup-pack does not write or check; "
              "it knows the single-byte code pages " + known;
    } else {
        why = "code page " + std::to_string(number) +
              " is not a Windows ANSI code page setup-pack knows; it knows " + known;
    }
    return std::nullopt;
}

CodePage CodePage::Default() {
    std::string ignored;
    return *Find(kDefaultCodePage, ignored);
}

std::string CodePage::Name() const {
    return "code page " + std::to_string(table_->number) + " (" + table_->name + ")";
}

namespace {
constexpr std::string_view kCodePageLineStart = "; code page ";
}  // namespace

std::string CodePageLine(const CodePage& page) {
    return std::string(kCodePageLineStart) + std::to_string(page.Number());
}

std::optional<long> CodePageOfLine(std::string_view line) {
    if (!line.starts_with(kCodePageLineStart)) return std::nullopt;
    const std::string_view digits = line.substr(kCodePageLineStart.size());
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::stol(std::string(digits));
}

bool CodePage::Encode(std::wstring_view text, std::string& bytes, char32_t& missing) const {
    bytes.clear();
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = CodePointAt(text, i);
        if (c < 0x80) {
            bytes.push_back(static_cast<char>(c));
            continue;
        }
        const auto& high = table_->high;
        const auto found = c > 0xFFFF ? high.end() : std::find(high.begin(), high.end(), c);
        if (found == high.end()) {
            missing = c;
            return false;
        }
        bytes.push_back(static_cast<char>(0x80 + (found - high.begin())));
    }
    return true;
}

std::wstring CodePage::Decode(std::string_view bytes) const {
    std::wstring text;
    text.reserve(bytes.size());
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        const char16_t c = byte < 0x80 ? byte : table_->high[byte - 0x80];
        text.push_back(static_cast<wchar_t>(c == 0 && byte >= 0x80 ? kReplacement : c));
    }
    return text;
}

std::string CodePageText::ToAnsi(std::wstring_view text) {
    std::string out;
    std::wstring_view rest = text;
    // Character by character from the first one the page cannot hold on.
    std::string bytes;
    char32_t missing = 0;
    while (!page_.Encode(rest, bytes, missing)) {
        out += bytes;
        out += '?';
        const size_t skip = bytes.size() + (missing > 0xFFFF && sizeof(wchar_t) == 2 ? 2 : 1);
        rest.remove_prefix(std::min(skip, rest.size()));
    }
    return out + bytes;
}

}  // namespace packer
