#include "unzip/library_text.h"

#include <algorithm>

#include "common/failure.h"
#include "platform/platform.h"

namespace unzip {

platform::AnsiText& BoundAnsi() {
    platform::AnsiText* ansi = platform::Current().ansi;
    if (ansi == nullptr) common::Raise(common::FailureNumber::InvalidCall, L"no text conversion bound");
    return *ansi;
}

namespace {

// One character of the answer: a UTF-16 surrogate pair counts as one.
size_t CharacterLength(std::wstring_view text, size_t at) {
    if constexpr (sizeof(wchar_t) == 2) {
        wchar_t c = text[at];
        if (c >= 0xD800 && c <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00 &&
            text[at + 1] <= 0xDFFF)
            return 2;
    }
    return 1;
}

// The largest answer, in bytes, that fits with its zero in a buffer of `size`.
size_t PasswordCapacity(int32_t size) {
    if (size <= 1) return 0;
    return std::min(static_cast<size_t>(size), kPasswordBufferSize) - 1;
}

}  // namespace

std::string_view BoundedRun(const char* bytes, size_t limit) {
    if (bytes == nullptr) return {};
    size_t n = 0;
    while (n < limit && bytes[n] != '\0') ++n;
    return {bytes, n};
}

size_t PrintLimit(int32_t length) {
    if (length <= 0) return 0;
    return std::min(static_cast<size_t>(length), kPrintTextSize);
}

std::wstring FromLibrary(std::string_view run) {
    if (run.empty()) return {};
    return BoundAnsi().FromAnsi(run);
}

std::optional<std::string> PasswordBytes(const std::wstring& answer, int32_t size) {
    std::string bytes;
    for (size_t at = 0; at < answer.size();) {
        size_t length = CharacterLength(answer, at);
        std::wstring_view character(answer.data() + at, length);
        std::string code = BoundAnsi().ToAnsi(character);
        // The conversion gives '?' for a character the code page lacks.
        if (code.empty() || (code == "?" && character != L"?")) break;
        bytes += code;
        at += length;
    }
    if (size <= 0 || bytes.size() > PasswordCapacity(size)) return std::nullopt;
    return bytes;
}

void FillPasswordBuffer(char* buffer, int32_t size, std::string_view bytes) {
    if (buffer == nullptr || size <= 0) return;
    size_t cleared = std::min(static_cast<size_t>(size), kPasswordBufferSize);
    std::fill(buffer, buffer + cleared, '\0');
    std::copy_n(bytes.data(), std::min(bytes.size(), cleared - 1), buffer);
}

}  // namespace unzip
