// Reading Setup.ini into plain values: the settings record and the three
// texts of the window a line can set. The setup window applies each line to
// itself through the same steps (frmSetup::LoadSetupFile); setup-pack reads a
// package's file with them, without a window.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "installer/installer_settings.h"
#include "installer/setup_keys.h"

namespace installer {

// Texts for the window; each stays empty until a line sets it.
struct SetupTexts {
    std::optional<std::wstring> caption;  // the window caption
    std::optional<std::wstring> message;  // the `message` label
    std::optional<std::wstring> target;   // the `target` box
};

struct SetupFileValues {
    InstallerSettings settings;
    SetupTexts texts;
};

// Opens Setup.ini in the program's own folder and hands each line to
// `parse`, in file order. Failures of opening and reading pass through.
void ForEachSetupLine(const std::function<void(const std::wstring& line)>& parse);

// The value of the last line with `key`, as setup.exe would take it, or
// nothing when no line has that key. Failures of opening and reading pass
// through.
std::optional<std::wstring> LastSetupValue(SetupKey key);

// Applies one line. An AUTOLAUNCH value that is no truth value raises 13 and
// changes nothing.
void ApplySetupLine(const std::wstring& line, InstallerSettings& settings, SetupTexts& texts);

// The whole file into `values`. On a failure the lines before it stay
// applied, as they are to the window at start.
void ReadSetupFile(SetupFileValues& values);

}  // namespace installer
