// The system ANSI code page (CP_ACP), single- or multi-byte.
#include <climits>

#include "common/failure.h"
#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

int Length(size_t size) {
    if (size > static_cast<size_t>(INT_MAX)) common::Raise(common::FailureNumber::OutOfMemory);
    return static_cast<int>(size);
}

}  // namespace

std::string Win32AnsiText::ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    int length = Length(text.size());
    // '?' stands in for a character the code page lacks, never a look-alike
    // ("best fit" would turn a password's or a path's character into another
    // one). A UTF-8 code page has every character and takes neither setting.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* missing = utf8 ? nullptr : "?";
    int n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, missing, nullptr);
    if (n <= 0) common::Raise(common::FailureNumber::InvalidCall, L"text conversion");
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), length, out.data(), n, missing, nullptr);
    return out;
}

std::wstring Win32AnsiText::FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    int length = Length(bytes.size());
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (n <= 0) common::Raise(common::FailureNumber::InvalidCall, L"text conversion");
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, out.data(), n);
    return out;
}

}  // namespace platform::win32
