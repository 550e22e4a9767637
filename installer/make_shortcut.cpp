// One shell shortcut to the installed program, on the Desktop or in the
// Start menu's Programs folder.
#include <cwctype>
#include <string>

#include "common/failure.h"
#include "installer/destination.h"
#include "installer/frm_setup.h"
#include "platform/platform.h"

namespace installer {

namespace {

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

}  // namespace

// Failures are reported here, in a box of their own, and never reach the
// caller; whatever was created is released on every path.
void frmSetup::MakeShortcut(const std::wstring& shortcutName, const std::wstring& installFolder,
                            const std::wstring& programFile, const std::wstring& location) {
    try {
        std::unique_ptr<platform::WshShell> shell = platform::shell().CreateShell();
        std::wstring folder;
        std::wstring word = UpperCase(location);
        if (word == L"DESKTOP") {
            folder = shell->SpecialFolder(L"Desktop");
        } else if (word == L"PROGRAMS") {
            folder = shell->SpecialFolder(L"Programs");
        }
        std::unique_ptr<platform::WshShortcut> shortcut =
            shell->CreateShortcut(folder + L"\\" + shortcutName + L".lnk");
        shortcut->SetTargetPath(InFolder(installFolder, programFile));
        shortcut->SetArguments(L"");
        shortcut->SetWorkingDirectory(installFolder);
        shortcut->Save();
    } catch (...) {
        common::Failure failure = common::CurrentFailure();
        common::Tolerate([&] {
            platform::dialogs().MsgBox(failure.Description(), platform::kOkOnly,
                                       L"Creating Shortcut");
        });
    }
}

}  // namespace installer
