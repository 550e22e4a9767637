#include "packer/base/text.h"

#include <cstdint>
#include <cstdio>

namespace packer {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendWide(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The character of the UTF-8 sequence at the start of `bytes` and its
// length; 0 when the sequence is malformed.
size_t DecodeOne(std::string_view bytes, char32_t& c) {
    const auto lead = static_cast<uint8_t>(bytes[0]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                      : (lead >> 3) == 0x1E ? 4 : 0;
    c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
    bool ok = length != 0 && length <= bytes.size();
    for (size_t k = 1; ok && k < length; ++k) {
        const auto next = static_cast<uint8_t>(bytes[k]);
        ok = (next & 0xC0) == 0x80;
        c = (c << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are malformed too.
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (c < kSmallest[length] || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c))) ok = false;
    return ok ? length : 0;
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (IsHighSurrogate(c) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c) || c > 0x10FFFF) {
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::wstring FromUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const size_t length = DecodeOne(bytes.substr(i), c);
        AppendWide(out, length == 0 ? kReplacement : c);
        i += length == 0 ? 1 : length;
    }
    return out;
}

bool IsUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const size_t length = DecodeOne(bytes.substr(i), c);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string QuotedBytes(std::string_view bytes) {
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const size_t length = DecodeOne(bytes.substr(i), c);
        if (length == 0) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<uint8_t>(bytes[i])));
            out += escaped;
            ++i;
            continue;
        }
        out.append(bytes.substr(i, length));
        i += length;
    }
    return out + "\"";
}

std::string Quoted(std::wstring_view text) {
    std::string out = "\"";
    for (char c : ToUtf8(text)) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else out.push_back(c);
    }
    return out + "\"";
}

namespace {

// Simple upper case of the letters the single-byte code pages hold.
char32_t UpperCase(char32_t c) {
    if (c >= U'a' && c <= U'z') return c - 0x20;
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : c - 0x20;   // Latin-1, but the division sign
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs: upper even, lower odd, but for the run
        // U+0139-U+0148 and U+0179-U+017E, where the upper case is odd.
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool lower = oddUpper ? c % 2 == 0 : c % 2 == 1;
        if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;  // no pair
        return lower ? c - 1 : c;
    }
    if (c == 0x1A1 || c == 0x1B0) return c - 1;        // Vietnamese o and u with horn
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 0x20;  // Greek
    if (c == 0x3C2) return 0x3A3;                                // final sigma
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;   // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if (c == 0x491) return 0x490;
    return c;
}

}  // namespace

std::wstring FoldCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(UpperCase(static_cast<char32_t>(c)));
    return text;
}

std::string ShownCharacter(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) return code;
    std::wstring one;
    AppendWide(one, c);
    return Quoted(one) + " (" + code + ")";
}

std::string PathText(const std::filesystem::path& path) {
    // Windows takes "/" for "\": a path given with one and joined with the
    // other is shown with "\" alone. On POSIX "\" is part of a name.
    std::filesystem::path shown = path;
    const std::u8string text = shown.make_preferred().u8string();
    return std::string(text.begin(), text.end());
}

std::string QuotedPath(const std::filesystem::path& path) { return QuotedBytes(PathText(path)); }

bool IsFullPath(std::wstring_view value) {
    const bool driveLetter = value.size() >= 2 && value[1] == L':' &&
                             ((value[0] >= L'A' && value[0] <= L'Z') ||
                              (value[0] >= L'a' && value[0] <= L'z'));
    return driveLetter || (!value.empty() && (value[0] == L'\\' || value[0] == L'/'));
}

}  // namespace packer
