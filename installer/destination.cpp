#include "installer/destination.h"

#include "platform/platform.h"

namespace installer {

namespace {

bool IsBareDrive(const std::wstring& text) {
    return text.size() == 2 && text[1] == L':' &&
           ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
}

}  // namespace

std::wstring FullDestination(const std::wstring& typed) {
    return platform::files().FullPath(IsBareDrive(typed) ? typed + L"\\" : typed);
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

}  // namespace installer
