// The setup window's settings record, filled from Setup.ini.
#pragma once

#include <string>

#include "common/truth.h"

namespace installer {

struct InstallerSettings {
    std::wstring TargetDir;                      // destination folder
    std::wstring ExeFile;                        // program file inside TargetDir
    std::wstring ShortcutName;                   // name of both shortcuts
    common::Truth16 ProgramsShortcut = common::kFalse;
    common::Truth16 DesktopShortcut = common::kFalse;
    common::Truth16 AutoLaunch = common::kFalse;
    std::wstring ZipPath;                        // full path of the archive
};

}  // namespace installer
