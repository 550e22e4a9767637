// The format of Setup.ini, as setup.exe reads it; setup-pack writes and
// checks the file by the same description.
//
// A line counts when it holds an "=". Its key is the text before the first
// "=", compared with the eight keys exactly: case and blanks count. Its value
// is the text between the first and the second "=", or up to the end of the
// line; whatever follows a second "=" is dropped. Later lines win.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace installer {

enum class SetupKey {
    Message,           // the `message` label
    Target,            // the destination folder, below kProgramFilesPrefix
    Application,       // the application's name in the window caption
    ShortcutDesktop,   // the shortcut name, and a shortcut on the Desktop
    ShortcutPrograms,  // the shortcut name, and a shortcut in Programs
    AutoLaunch,        // a truth value: start the program without asking
    ZipFile,           // the archive's file name beside setup.exe
    ExeFile,           // the program file inside the destination folder
};

inline constexpr std::string_view kKeyMessage = "MESSAGE";
inline constexpr std::string_view kKeyTarget = "TARGET";
inline constexpr std::string_view kKeyApplication = "APPLICATION";
inline constexpr std::string_view kKeyShortcutDesktop = "SHORTCUTDESKTOP";
inline constexpr std::string_view kKeyShortcutPrograms = "SHORTCUTPROGRAMS";
inline constexpr std::string_view kKeyAutoLaunch = "AUTOLAUNCH";
inline constexpr std::string_view kKeyZipFile = "ZIPFILE";
inline constexpr std::string_view kKeyExeFile = "EXEFILE";

struct SetupKeyName {
    SetupKey key;
    std::string_view name;
};

// In the order a line's key is compared with them.
inline constexpr std::array<SetupKeyName, 8> kSetupKeys = {{
    {SetupKey::Message, kKeyMessage},
    {SetupKey::Target, kKeyTarget},
    {SetupKey::Application, kKeyApplication},
    {SetupKey::ShortcutDesktop, kKeyShortcutDesktop},
    {SetupKey::ShortcutPrograms, kKeyShortcutPrograms},
    {SetupKey::AutoLaunch, kKeyAutoLaunch},
    {SetupKey::ZipFile, kKeyZipFile},
    {SetupKey::ExeFile, kKeyExeFile},
}};

// The key spelled exactly `text`, in either character type (keys are ASCII).
template <typename Char>
constexpr std::optional<SetupKey> FindSetupKey(std::basic_string_view<Char> text) {
    for (const SetupKeyName& known : kSetupKeys) {
        if (text.size() != known.name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < text.size() && same; ++i) {
            same = text[i] == static_cast<Char>(known.name[i]);
        }
        if (same) return known.key;
    }
    return std::nullopt;
}

// Every TARGET value goes behind this fixed folder, unchecked: the system is
// not asked where its program folder lies.
inline constexpr wchar_t kProgramFilesPrefix[] = L"C:\\Program Files\\";
// The window caption is " " + APPLICATION + this credit, which is not configurable.
inline constexpr wchar_t kCaptionCredit[] = L" (Setup by Quenbrook)";

inline std::wstring TargetFolderOf(std::wstring_view value) {
    return kProgramFilesPrefix + std::wstring(value);
}
inline std::wstring CaptionOf(std::wstring_view value) {
    return L" " + std::wstring(value) + kCaptionCredit;
}

template <typename Char>
struct SetupLineParts {
    std::basic_string_view<Char> key;
    std::basic_string_view<Char> value;
    bool valueCut = false;  // a second "=" ended the value
};

// Key and value of a line, or nothing when the line holds no "=".
template <typename Char>
constexpr std::optional<SetupLineParts<Char>> CutSetupLine(std::basic_string_view<Char> line) {
    const size_t first = line.find(Char('='));
    if (first == line.npos) return std::nullopt;
    const std::basic_string_view<Char> rest = line.substr(first + 1);
    const size_t second = rest.find(Char('='));
    return SetupLineParts<Char>{line.substr(0, first), rest.substr(0, second), second != rest.npos};
}

}  // namespace installer
