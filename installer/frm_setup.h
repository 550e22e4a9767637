// frmSetup: the setup window's logic. Its event handlers and procedures hold
// everything the installer decides; the window itself (installer/win32) only
// forwards its events here and offers its controls.
#pragma once

#include <string>

#include "common/truth.h"
#include "installer/installer_settings.h"
#include "installer/setup_window_controls.h"

namespace installer {

class frmSetup {
public:
    explicit frmSetup(SetupWindowControls& controls) : controls_(controls) {}

    // Events.
    void Form_Load();
    void Command1_Click();

    // Presence tests over the directory listing; they need no window.
    static common::Truth16 FileExists(const std::wstring& Name_of_File);
    static common::Truth16 FolderExists(const std::wstring& Name_of_Folder);

    const InstallerSettings& Settings() const { return settings_; }

private:
    void LoadSetupFile();
    void ParseSetupLine(const std::wstring& line);
    void MakeShortcut(const std::wstring& shortcutName, const std::wstring& installFolder,
                      const std::wstring& programFile, const std::wstring& location);
    void ExtractArchive(std::wstring zipPath, const std::wstring& targetDir);
    void StartProgram();
    // Unloads the window and ends the program; under tolerance a failing
    // unload does not stop the end.
    [[noreturn]] void CloseAndEnd(bool tolerant);

    SetupWindowControls& controls_;
    InstallerSettings settings_;
};

}  // namespace installer
