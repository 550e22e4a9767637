// The locale's narrow encoding stands for the ANSI code page.
#include <climits>
#include <cwchar>

#include "platform/posix/posix_services.h"

namespace platform::posix {

std::string PosixAnsiText::ToAnsi(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (wchar_t c : text) {
        size_t n = std::wcrtomb(bytes, c, &state);
        if (n == static_cast<size_t>(-1)) {
            state = std::mbstate_t{};
            out.push_back('?');
        } else {
            out.append(bytes, n);
        }
    }
    return out;
}

std::wstring PosixAnsiText::FromAnsi(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    std::mbstate_t state{};
    size_t at = 0;
    while (at < bytes.size()) {
        wchar_t c = 0;
        size_t n = std::mbrtowc(&c, bytes.data() + at, bytes.size() - at, &state);
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
            // A byte that starts no character here (or a sequence cut short)
            // stands as '?' and decoding goes on after it.
            state = std::mbstate_t{};
            out.push_back(L'?');
            ++at;
        } else {
            out.push_back(c);
            at += n == 0 ? 1 : n;  // an embedded zero byte is one character
        }
    }
    return out;
}

}  // namespace platform::posix
