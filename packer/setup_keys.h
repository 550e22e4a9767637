// The eight keys of Setup.ini, as the installer compares them: exact text,
// upper case, no spaces around them.
#pragma once

#include <array>
#include <string_view>

namespace packer {

inline constexpr std::string_view kKeyMessage = "MESSAGE";
inline constexpr std::string_view kKeyTarget = "TARGET";
inline constexpr std::string_view kKeyApplication = "APPLICATION";
inline constexpr std::string_view kKeyShortcutDesktop = "SHORTCUTDESKTOP";
inline constexpr std::string_view kKeyShortcutPrograms = "SHORTCUTPROGRAMS";
inline constexpr std::string_view kKeyAutoLaunch = "AUTOLAUNCH";
inline constexpr std::string_view kKeyZipFile = "ZIPFILE";
inline constexpr std::string_view kKeyExeFile = "EXEFILE";

inline constexpr std::array<std::string_view, 8> kSetupKeys = {
    kKeyMessage,   kKeyTarget,     kKeyApplication, kKeyShortcutDesktop, kKeyShortcutPrograms,
    kKeyAutoLaunch, kKeyZipFile,   kKeyExeFile};

inline bool IsSetupKey(std::string_view key) {
    for (std::string_view known : kSetupKeys) {
        if (key == known) return true;
    }
    return false;
}

// The fixed folder the installer puts every TARGET value behind.
inline constexpr wchar_t kProgramFilesPrefix[] = L"C:\\Program Files\\";

// A value that names a full path on Windows: a drive letter and colon, or a
// leading separator (the root of the drive, or a network path).
inline bool IsFullPath(std::wstring_view value) {
    const bool driveLetter = value.size() >= 2 && value[1] == L':' &&
                             ((value[0] >= L'A' && value[0] <= L'Z') ||
                              (value[0] >= L'a' && value[0] <= L'z'));
    return driveLetter || (!value.empty() && (value[0] == L'\\' || value[0] == L'/'));
}

}  // namespace packer
