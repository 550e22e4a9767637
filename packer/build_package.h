// `setup-pack build`: a package folder made from an application folder, with
// a Setup.ini that says exactly what the options say, then checked.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "packer/host.h"

namespace packer {

struct BuildOptions {
    std::filesystem::path appDir;
    std::filesystem::path outDir;
    // One option per Setup.ini key; an option not given writes no line.
    std::optional<std::wstring> name;              // APPLICATION
    std::optional<std::wstring> message;           // MESSAGE
    std::optional<std::wstring> target;            // TARGET, required
    std::optional<std::wstring> exe;               // EXEFILE, required
    std::optional<std::wstring> desktopShortcut;   // SHORTCUTDESKTOP
    std::optional<std::wstring> programsShortcut;  // SHORTCUTPROGRAMS
    std::optional<std::wstring> autoLaunch;        // AUTOLAUNCH
    std::wstring zip = L"Setup.zip";               // ZIPFILE
    // The files every package ships; by default those beside the program.
    std::optional<std::filesystem::path> setupExe;
    std::optional<std::filesystem::path> unzipDll;
};

// Every reason to refuse the options, as UTF-8 messages; empty when none.
std::vector<std::string> ValidateBuild(const BuildOptions& options, Host& host);

// Setup.ini's bytes: ANSI text, CR LF line ends, the exact keys.
// Only for options that ValidateBuild accepted.
std::string SetupFileBytes(const BuildOptions& options, Host& host);

// Builds and checks; returns the exit code (0 clean, 1 warnings, 2 errors
// or refused).
int RunBuild(const BuildOptions& options, Host& host, std::ostream& out, std::ostream& err);

}  // namespace packer
