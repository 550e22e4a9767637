#include "launcher/win32/system_message.h"

#include <cwchar>

#include "unzip32/reuse/names.h"
#include "unzip32/reuse/os.h"

namespace launcher::win32 {

std::wstring SystemMessage(unsigned long error, const std::wstring& path) {
    // The library's text of the error: formatted with the inserts ignored.
    const std::u16string text =
        uz::Utf8ToUtf16(uz::os::Describe(uz::os::Status{uz::os::Status::Failed, static_cast<int>(error)}));
    const std::wstring message(text.begin(), text.end());
    // %1, and not %10 or further
    const wchar_t* insert = wcsstr(message.c_str(), L"%1");
    if (!insert || (insert[2] >= L'0' && insert[2] <= L'9')) return message;
    std::wstring filled(message, 0, static_cast<size_t>(insert - message.c_str()));
    filled += path.empty() ? L"the file" : path.c_str();
    filled += insert + 2;
    return filled;
}

}  // namespace launcher::win32
