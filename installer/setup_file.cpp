// Reading Setup.ini, into plain values or into the setup window.
#include "installer/setup_file.h"

#include <memory>
#include <string_view>

#include "common/truth.h"
#include "installer/frm_setup.h"
#include "installer/setup_keys.h"
#include "platform/platform.h"

namespace installer {

namespace {

constexpr wchar_t kSetupFileName[] = L"\\Setup.ini";

}  // namespace

void ForEachSetupLine(const std::function<void(const std::wstring& line)>& parse) {
    // The join is plain text: a drive-root folder ("D:\") gives "D:\\Setup.ini".
    const std::wstring path = platform::files().ProgramFolder() + kSetupFileName;
    std::unique_ptr<platform::TextReader> file = platform::files().OpenText(path);
    while (!file->AtEnd()) {
        const std::wstring line = file->ReadLine();
        parse(line);
    }
}

std::optional<std::wstring> LastSetupValue(SetupKey key) {
    std::optional<std::wstring> value;
    ForEachSetupLine([&](const std::wstring& line) {
        const auto parts = CutSetupLine(std::wstring_view(line));
        if (parts && FindSetupKey(parts->key) == key) value = std::wstring(parts->value);
    });
    return value;
}

void ApplySetupLine(const std::wstring& line, InstallerSettings& settings, SetupTexts& texts) {
    const auto parts = CutSetupLine(std::wstring_view(line));
    if (!parts) return;
    const std::optional<SetupKey> key = FindSetupKey(parts->key);
    if (!key) return;
    const std::wstring value(parts->value);
    switch (*key) {
        case SetupKey::Message:
            texts.message = value;
            break;
        case SetupKey::Target:
            settings.TargetDir = TargetFolderOf(value);
            texts.target = settings.TargetDir;
            break;
        case SetupKey::Application:
            texts.caption = CaptionOf(value);
            break;
        case SetupKey::ShortcutDesktop:
            settings.ShortcutName = value;
            settings.DesktopShortcut = common::kTrue;
            break;
        case SetupKey::ShortcutPrograms:
            settings.ShortcutName = value;
            settings.ProgramsShortcut = common::kTrue;
            break;
        case SetupKey::AutoLaunch:
            settings.AutoLaunch = common::TextToTruth(value);
            break;
        case SetupKey::ZipFile:
            settings.ZipPath = platform::files().ProgramFolder() + L"\\" + value;
            break;
        case SetupKey::ExeFile:
            settings.ExeFile = value;
            break;
    }
}

void ReadSetupFile(SetupFileValues& values) {
    ForEachSetupLine(
        [&values](const std::wstring& line) { ApplySetupLine(line, values.settings, values.texts); });
}

void frmSetup::Form_Load() { LoadSetupFile(); }

void frmSetup::LoadSetupFile() {
    ForEachSetupLine([this](const std::wstring& line) { ParseSetupLine(line); });
}

// Each line reaches the window's controls as soon as it is applied: a failure
// at start leaves the earlier lines applied to the window.
void frmSetup::ParseSetupLine(const std::wstring& line) {
    SetupTexts texts;
    ApplySetupLine(line, settings_, texts);
    if (texts.message) controls_.SetMessage(*texts.message);
    if (texts.target) controls_.SetTargetText(*texts.target);
    if (texts.caption) controls_.SetCaption(*texts.caption);
}

}  // namespace installer
