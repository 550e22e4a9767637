// `setup-pack build`: a package folder made from an application folder, with
// a Setup.ini that says exactly what the options say. Everything is checked
// before anything is written: the options, the paths, and the package about
// to be written, by the same check `setup-pack check` runs; the package
// written is then checked again, archive test included.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "packer/base/findings.h"
#include "packer/base/host.h"
#include "packer/check/code_page.h"
#include "packer/sign/sign_command.h"
#include "packer/single_file/branding_options.h"

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
    std::optional<bool> autoLaunch;                // AUTOLAUNCH
    std::wstring zip = L"Setup.zip";               // ZIPFILE
    // The files every package ships; by default those beside the program.
    std::optional<std::filesystem::path> setupExe;
    std::optional<std::filesystem::path> unzipDll;
    // The code page of the computers the package installs on.
    CodePage codePage = CodePage::Default();
    // Every entry's time instead of the files' own (seconds since 1970, UTC).
    std::optional<int64_t> modified;
    bool force = false;   // build into a folder that holds other files
    bool strict = false;  // warnings count as errors
    bool json = false;    // report as one JSON object (run_report.h)
    // The single-file installer too, made with the launcher given or the one
    // beside the program.
    std::optional<std::filesystem::path> singleFile;
    std::optional<std::filesystem::path> launcher;
    // Its icon and version information.
    single_file::BrandingOptions branding;
    // Run on setup.exe and unzip32.dll before they are written, and on the
    // single file.
    std::optional<SignCommand> sign;
};

// Setup.ini's bytes: the lines in a fixed order with CR LF line ends, in the
// code page. `findings` holds, by line, the values the file cannot carry.
struct ComposedSetupFile {
    std::string bytes;
    std::vector<Finding> findings;
};
ComposedSetupFile ComposeSetupFile(const BuildOptions& options);

// The names of the files build writes into OUTDIR.
std::vector<std::wstring> OutputFileNames(const BuildOptions& options);

// Builds and checks; returns the exit code (findings.h). Findings that refuse
// the build go to `err`, those of the package written to `out` (with `json`,
// all to `out` in one object: run_report.h). A sign
// command that fails on setup.exe or unzip32.dll stops the build before
// anything is written; on the single file, it leaves no single file. The
// package's files are written as output_folder.h says: put in place together
// or not at all.
int RunBuild(const BuildOptions& options, Host& host, std::ostream& out, std::ostream& err);

}  // namespace packer
