#include "packer/command_line.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "common/failure.h"
#include "packer/build_package.h"
#include "packer/findings.h"
#include "packer/package_check.h"
#include "packer/text.h"
#include "unzip/library_binding.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

constexpr char kUsage[] =
    "usage: setup-pack build APPDIR OUTDIR --target FOLDER --exe FILE [options]\n"
    "       setup-pack check DIR\n"
    "\n"
    "build writes OUTDIR/Setup.zip from APPDIR, OUTDIR/Setup.ini, copies setup.exe and\n"
    "unzip32.dll in, and checks the result. Options (Setup.ini key in brackets):\n"
    "  --name TEXT               application name for the window caption [APPLICATION]\n"
    "  --message TEXT            the message of the setup window [MESSAGE]\n"
    "  --target FOLDER           destination below C:\\Program Files\\ [TARGET]\n"
    "  --exe FILE                program to start, a path inside APPDIR [EXEFILE]\n"
    "  --desktop-shortcut NAME   make a Desktop shortcut [SHORTCUTDESKTOP]\n"
    "  --programs-shortcut NAME  make a Start menu shortcut [SHORTCUTPROGRAMS]\n"
    "  --autolaunch true|false   start the program without asking [AUTOLAUNCH]\n"
    "  --zip NAME                the archive's file name, default Setup.zip [ZIPFILE]\n"
    "  --setup-exe PATH          setup.exe to ship (default: beside setup-pack)\n"
    "  --unzip-dll PATH          unzip32.dll to ship (default: beside setup-pack)\n"
    "\n"
    "check reports, as Setup.ini:LINE: message, what would go wrong at install time.\n"
    "Exit code: 0 clean, 1 warnings, 2 errors.\n";

enum class Slot { Name, Message, Target, Exe, Desktop, Programs, AutoLaunch, Zip, SetupExe, UnzipDll };

const std::map<std::string, Slot>& Options() {
    static const std::map<std::string, Slot> options = {
        {"--name", Slot::Name},           {"--message", Slot::Message},
        {"--target", Slot::Target},       {"--exe", Slot::Exe},
        {"--desktop-shortcut", Slot::Desktop}, {"--programs-shortcut", Slot::Programs},
        {"--autolaunch", Slot::AutoLaunch}, {"--zip", Slot::Zip},
        {"--setup-exe", Slot::SetupExe},  {"--unzip-dll", Slot::UnzipDll},
    };
    return options;
}

void Store(BuildOptions& o, Slot slot, const fs::path& argument, Host& host) {
    const std::wstring text = host.TextOf(argument);
    switch (slot) {
        case Slot::Name: o.name = text; break;
        case Slot::Message: o.message = text; break;
        case Slot::Target: o.target = text; break;
        case Slot::Exe: o.exe = text; break;
        case Slot::Desktop: o.desktopShortcut = text; break;
        case Slot::Programs: o.programsShortcut = text; break;
        case Slot::AutoLaunch: o.autoLaunch = text; break;
        case Slot::Zip: o.zip = text; break;
        case Slot::SetupExe: o.setupExe = argument; break;
        case Slot::UnzipDll: o.unzipDll = argument; break;
    }
}

int Refuse(std::ostream& err, const std::string& message) {
    err << "setup-pack: error: " << message << "\n\n" << kUsage;
    return 2;
}

// The check tests archives with the unzip library from the tool's own folder,
// as setup.exe loads it from its own. Without it every package would look
// damaged, so the tool names the file it needs and stops before it reads or
// writes anything.
bool UnzipLibraryLoads(Host& host, std::ostream& err) {
    try {
        const std::unique_ptr<platform::Library> library =
            host.libraries->LoadFromProgramFolder(unzip::kLibraryName);
        library->Symbol(unzip::kVersionEntryName);
        library->Symbol(unzip::kUnzipEntryName);
        return true;
    } catch (const common::Failure& failure) {
        std::string file = host.unzipLibraryFile;
        std::string reason = ToUtf8(failure.Description());
        try {
            const fs::path path = host.PathOf(host.files->ProgramFolder()) / host.unzipLibraryFile;
            std::error_code error;
            if (!fs::exists(path, error)) reason = "no such file";
            file = PathText(path);
        } catch (const common::Failure&) {
            // Without the program's folder the bare file name has to do.
        }
        err << "setup-pack: error: cannot load " << file << " (" << reason
            << "): setup-pack tests archives with the unzip library in its own folder\n";
        return false;
    }
}

int Build(const std::vector<fs::path>& args, Host& host, std::ostream& out, std::ostream& err) {
    BuildOptions options;
    std::vector<fs::path> positional;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string word = PathText(args[i]);
        if (!word.starts_with("--")) {
            positional.push_back(args[i]);
            continue;
        }
        // --option VALUE, or --option=VALUE.
        const size_t equals = word.find('=');
        const std::string option = word.substr(0, equals);
        const auto found = Options().find(option);
        if (found == Options().end()) return Refuse(err, "unknown option " + option);
        if (equals != std::string::npos) {
            Store(options, found->second, fs::path(args[i].native().substr(equals + 1)), host);
        } else if (i + 1 < args.size()) {
            Store(options, found->second, args[++i], host);
        } else {
            return Refuse(err, option + " needs a value");
        }
    }
    if (positional.size() != 2) return Refuse(err, "build needs APPDIR and OUTDIR");
    if (!UnzipLibraryLoads(host, err)) return 2;
    options.appDir = positional[0];
    options.outDir = positional[1];
    return RunBuild(options, host, out, err);
}

int Check(const std::vector<fs::path>& args, Host& host, std::ostream& out) {
    const std::vector<Finding> findings = CheckPackage(args[1], host);
    for (const Finding& finding : findings) out << Format(finding) << "\n";
    if (findings.empty()) out << "setup-pack: " << PathText(args[1]) << ": no problems found\n";
    return ExitCodeOf(findings);
}

}  // namespace

int RunCommandLine(const std::vector<fs::path>& args, Host& host, std::ostream& out,
                   std::ostream& err) {
    const std::string command = args.empty() ? "" : PathText(args[0]);
    if (command == "--help" || command == "-h" || command == "help") {
        out << kUsage;
        return 0;
    }
    if (command == "build") return Build(args, host, out, err);
    if (command == "check") {
        if (args.size() != 2) return Refuse(err, "check needs exactly one folder");
        if (!UnzipLibraryLoads(host, err)) return 2;
        return Check(args, host, out);
    }
    return Refuse(err, command.empty() ? "no command given" : "unknown command " + command);
}

}  // namespace packer
