// Reading Setup.ini into the setup window and its settings record.
//
// A line counts when it holds an "=". The key is the text before the first
// "=", compared exactly (case and spaces count); the value is the text between
// the first and the second "=", or up to the end of the line. Later lines win.
#include <memory>
#include <string>
#include <string_view>

#include "common/truth.h"
#include "installer/frm_setup.h"
#include "platform/platform.h"

namespace installer {

namespace {

constexpr wchar_t kSetupFileName[] = L"\\Setup.ini";
// The destination proposal is always below this fixed folder; the system is
// not asked where its program folder lies.
constexpr wchar_t kProgramFilesPrefix[] = L"C:\\Program Files\\";
constexpr wchar_t kCaptionCredit[] = L" (Setup by Quenbrook)";

}  // namespace

void frmSetup::Form_Load() { LoadSetupFile(); }

void frmSetup::LoadSetupFile() {
    // The join is plain text: a drive-root folder ("D:\") gives "D:\\Setup.ini".
    const std::wstring path = platform::files().ProgramFolder() + kSetupFileName;
    std::unique_ptr<platform::TextReader> file = platform::files().OpenText(path);
    while (!file->AtEnd()) {
        const std::wstring line = file->ReadLine();
        ParseSetupLine(line);
    }
}

void frmSetup::ParseSetupLine(const std::wstring& line) {
    const size_t firstEquals = line.find(L'=');
    if (firstEquals == std::wstring::npos) return;
    const std::wstring_view whole(line);
    const std::wstring key(whole.substr(0, firstEquals));
    const size_t valueStart = firstEquals + 1;
    const size_t secondEquals = line.find(L'=', valueStart);
    const std::wstring value(whole.substr(valueStart, secondEquals == std::wstring::npos
                                                          ? std::wstring_view::npos
                                                          : secondEquals - valueStart));

    if (key == L"MESSAGE") {
        controls_.SetMessage(value);
    } else if (key == L"TARGET") {
        settings_.TargetDir = kProgramFilesPrefix + value;
        controls_.SetTargetText(settings_.TargetDir);
    } else if (key == L"APPLICATION") {
        controls_.SetCaption(L" " + value + kCaptionCredit);
    } else if (key == L"SHORTCUTDESKTOP") {
        settings_.ShortcutName = value;
        settings_.DesktopShortcut = common::kTrue;
    } else if (key == L"SHORTCUTPROGRAMS") {
        settings_.ShortcutName = value;
        settings_.ProgramsShortcut = common::kTrue;
    } else if (key == L"AUTOLAUNCH") {
        settings_.AutoLaunch = common::TextToTruth(value);
    } else if (key == L"ZIPFILE") {
        settings_.ZipPath = platform::files().ProgramFolder() + L"\\" + value;
    } else if (key == L"EXEFILE") {
        settings_.ExeFile = value;
    }
}

}  // namespace installer
