#include "packer/cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "common/failure.h"
#include "packer/base/findings.h"
#include "packer/base/text.h"
#include "packer/check/package_check.h"
#include "packer/package/build_package.h"
#include "packer/package/bundle_package.h"
#include "packer/single_file/bundle.h"
#include "unzip/library_binding.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

enum CommandBit : unsigned { kBuild = 1, kCheck = 2, kBundle = 4 };

struct Arguments {
    std::vector<fs::path> operands;
    std::map<std::string, fs::path> values;  // by option name; a switch has an empty value

    bool Has(const std::string& option) const { return values.count(option) != 0; }
    std::optional<fs::path> Value(const std::string& option) const {
        const auto found = values.find(option);
        return found == values.end() ? std::nullopt : std::optional<fs::path>(found->second);
    }
    // An option's value as the installer's wide text.
    std::optional<std::wstring> Text(const std::string& option, Host& host) const {
        const std::optional<fs::path> value = Value(option);
        return value ? std::optional(host.TextOf(*value)) : std::nullopt;
    }
};

struct OptionSpec {
    const char* name;
    const char* value;  // the value's name in the usage; nullptr for a switch
    unsigned commands;
    const char* help;
};

const OptionSpec kOptions[] = {
    {"--name", "TEXT", kBuild, "application name for the window caption [APPLICATION]"},
    {"--message", "TEXT", kBuild, "the message of the setup window [MESSAGE]"},
    {"--target", "FOLDER", kBuild, "destination below C:\\Program Files\\ (required) [TARGET]"},
    {"--exe", "FILE", kBuild, "program to start, a path inside APPDIR (required) [EXEFILE]"},
    {"--desktop-shortcut", "NAME", kBuild, "make a Desktop shortcut [SHORTCUTDESKTOP]"},
    {"--programs-shortcut", "NAME", kBuild, "make a Start menu shortcut [SHORTCUTPROGRAMS]"},
    {"--autolaunch", "true|false", kBuild, "start the program without asking [AUTOLAUNCH]"},
    {"--zip", "NAME", kBuild, "the archive's file name, default Setup.zip [ZIPFILE]"},
    {"--setup-exe", "PATH", kBuild, "setup.exe to ship (default: the one setup-pack comes with)"},
    {"--unzip-dll", "PATH", kBuild, "unzip32.dll to ship (default: the one setup-pack comes with)"},
    {"--single-file", "FILE.exe", kBuild, "also write FILE.exe, one program holding the whole package"},
    {"--launcher", "PATH", kBuild | kBundle,
     "setup-launcher.exe, the single file's program (default: the one setup-pack comes with)"},
    {"--icon", "FILE.ico", kBuild | kBundle, "the single file's icon (default: the launcher's)"},
    {"--product-version", "A.B.C[.D]", kBuild | kBundle, "the single file's file and product version"},
    {"--company", "TEXT", kBuild | kBundle, "the single file's company name"},
    {"--copyright", "TEXT", kBuild | kBundle, "the single file's copyright line"},
    {"--description", "TEXT", kBuild | kBundle,
     "the single file's description (default: the application's name and \" Setup\")"},
    {"--sign-command", "CMD", kBuild | kBundle,
     "run CMD on every program written: {file}, or {in} and {out}, stand for its path"},
    {"--codepage", "N", kBuild | kCheck | kBundle,
     "Windows code page of the computers it installs on, default 1252"},
    {"--mtime", "SECONDS", kBuild,
     "every entry's time, in seconds since 1970 (default: $SOURCE_DATE_EPOCH, else the files')"},
    {"--force", nullptr, kBuild, "build into an OUTDIR that holds other files too"},
    {"--json", nullptr, kBuild | kCheck | kBundle,
     "print the findings (and for build and bundle the files written) as one JSON object"},
    {"--strict", nullptr, kBuild | kCheck | kBundle, "warnings count as errors"},
    {"--version", nullptr, kBuild | kCheck | kBundle, "print the version and stop"},
    {"--help", nullptr, kBuild | kCheck | kBundle, "print this help and stop"},
};

using Runner = int (*)(const Arguments&, Host&, std::ostream&, std::ostream&);

struct CommandSpec {
    const char* name;
    unsigned bit;
    const char* operands;
    size_t operandCount;
    const char* summary;
    Runner run;
};

// A wrong command line: the message, and a pointer to the help.
struct UsageError {
    std::string message;
};

int Build(const Arguments&, Host&, std::ostream&, std::ostream&);
int Check(const Arguments&, Host&, std::ostream&, std::ostream&);
int Bundle(const Arguments&, Host&, std::ostream&, std::ostream&);

const CommandSpec kCommands[] = {
    {"build", kBuild, "APPDIR OUTDIR", 2,
     "writes OUTDIR/Setup.zip from APPDIR and OUTDIR/Setup.ini, copies\n"
     "setup.exe and unzip32.dll in and checks the package; nothing is written when\n"
     "the package or the options have errors.",
     Build},
    {"check", kCheck, "DIR", 1,
     "reports, as Setup.ini:LINE: error|warning: ..., what would go\n"
     "wrong at install time.",
     Check},
    {"bundle", kBundle, "PACKAGEDIR FILE.exe", 2,
     "checks the package folder as check does and writes\n"
     "FILE.exe, one program that unpacks it and runs its setup.exe; nothing is written\n"
     "when the package has errors.",
     Bundle},
};

std::string Usage() {
    std::string text;
    for (const CommandSpec& command : kCommands) {
        text += std::string(text.empty() ? "usage: " : "       ") + "setup-pack " + command.name +
                " " + command.operands + " [options]\n";
    }
    text += "       setup-pack --help | --version\n";
    for (const CommandSpec& command : kCommands) {
        text += std::string("\n") + command.name + " " + command.operands + ": " + command.summary + "\n";
        for (const OptionSpec& option : kOptions) {
            if (!(option.commands & command.bit)) continue;
            std::string left = std::string("  ") + option.name + (option.value ? std::string(" ") + option.value : "");
            left.resize(std::max<size_t>(left.size() + 1, 28), ' ');
            text += left + option.help + "\n";
        }
    }
    return text + "\nOptions take their value as the next argument or after \"=\"; \"--\" ends the options.\n"
                  "Exit code: 0 clean, 1 warnings, 2 errors, 64 wrong command line, 74 the tool's\n"
                  "own files could not be read or written, or the sign command failed.\n"
                  "The sign command is split into words at blanks, '...' and \"...\" keeping blanks,\n"
                  "and run without a shell; packer/README.md has the details.\n";
}

Arguments Parse(const CommandSpec& command, const std::vector<fs::path>& args) {
    Arguments parsed;
    bool optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string word = PathText(args[i]);
        if (optionsEnded || !word.starts_with("--")) {
            parsed.operands.push_back(args[i]);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& option : kOptions) spec = name == option.name ? &option : spec;
        if (spec == nullptr) throw UsageError{"unknown option " + name};
        if (!(spec->commands & command.bit)) {
            throw UsageError{name + " is not an option of " + command.name};
        }
        if (parsed.Has(name)) throw UsageError{name + " is given twice"};
        if (spec->value == nullptr) {
            if (equals != std::string::npos) throw UsageError{name + " takes no value"};
            parsed.values[name] = fs::path();
        } else if (equals != std::string::npos) {
            parsed.values[name] = fs::path(args[i].native().substr(equals + 1));
        } else if (i + 1 < args.size()) {
            parsed.values[name] = args[++i];
        } else {
            throw UsageError{name + " needs a value (" + spec->value + ")"};
        }
    }
    return parsed;
}

// A whole number in [minimum, maximum], for the numeric options: digits
// alone (strtoll would also take blanks and a sign before them).
long long Number(const std::string& what, const std::string& text, long long minimum, long long maximum) {
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || *end != '\0' || errno != 0 || value < minimum || value > maximum) {
        throw UsageError{what + " " + Quoted(FromUtf8(text)) + " is not a whole number from " +
                         std::to_string(minimum) + " to " + std::to_string(maximum)};
    }
    return value;
}

CodePage CodePageOf(const Arguments& args) {
    const std::optional<fs::path> given = args.Value("--codepage");
    if (!given) return CodePage::Default();
    std::string why;
    const std::optional<CodePage> page = CodePage::Find(Number("--codepage", PathText(*given), 1, 65535), why);
    if (!page) throw UsageError{"--codepage: " + why};
    return *page;
}

// --mtime, else SOURCE_DATE_EPOCH, the convention of reproducible builds.
std::optional<int64_t> ModifiedOf(const Arguments& args) {
    constexpr long long kLatest = 4354819199;  // 2107-12-31 23:59:59, the archive's last date
    if (const std::optional<fs::path> given = args.Value("--mtime")) {
        return Number("--mtime", PathText(*given), 0, kLatest);
    }
    // Set but empty is as malformed as any other text that is no number.
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr) {
        return Number("SOURCE_DATE_EPOCH", epoch, 0, kLatest);
    }
    return std::nullopt;
}

// The check tests archives with the unzip library that comes with the tool,
// as setup.exe loads the one beside it. Without it every package would look
// damaged, so the tool names the file it needs and stops before it reads or
// writes anything.
bool UnzipLibraryLoads(Host& host, std::ostream& err) {
    ToolFile library;
    try {
        library = host.UnzipLibrary();
        if (library.path.empty()) {
            err << "setup-pack: error: " << host.unzipLibraryFile << " not found (" << LookedFor(library.looked)
                << "): setup-pack tests archives with this unzip library\n";
            return false;
        }
        const std::unique_ptr<platform::Library> loaded = host.libraries->LoadFromProgramFolder(unzip::kLibraryName);
        loaded->Symbol(unzip::kVersionEntryName);
        loaded->Symbol(unzip::kUnzipEntryName);
        return true;
    } catch (const common::Failure& failure) {
        const std::string file = library.path.empty() ? host.unzipLibraryFile : PathText(library.path);
        err << "setup-pack: error: cannot load " << file << " (" << ToUtf8(failure.Description())
            << "): setup-pack tests archives with this unzip library\n";
        return false;
    }
}

// --sign-command, split into words once, for every file it signs.
std::optional<SignCommand> SignCommandOf(const Arguments& args) {
    const std::optional<fs::path> given = args.Value("--sign-command");
    if (!given) return std::nullopt;
    std::string why;
    std::optional<SignCommand> command = SignCommand::Parse(given->native(), why);
    if (!command) throw UsageError{"--sign-command: " + why};
    return command;
}

// The options that brand the single file.
single_file::BrandingOptions BrandingOf(const Arguments& args, Host& host) {
    single_file::BrandingOptions branding;
    branding.icon = args.Value("--icon");
    branding.productVersion = args.Text("--product-version", host);
    branding.company = args.Text("--company", host);
    branding.copyright = args.Text("--copyright", host);
    branding.description = args.Text("--description", host);
    return branding;
}

int Build(const Arguments& args, Host& host, std::ostream& out, std::ostream& err) {
    for (const char* option : {"--launcher", "--icon", "--product-version", "--company", "--copyright", "--description"}) {
        if (args.Has(option) && !args.Has("--single-file")) {
            throw UsageError{std::string(option) + " makes the single file: it goes with --single-file"};
        }
    }
    BuildOptions options;
    options.appDir = args.operands[0];
    options.outDir = args.operands[1];
    options.name = args.Text("--name", host);
    options.message = args.Text("--message", host);
    options.target = args.Text("--target", host);
    options.exe = args.Text("--exe", host);
    options.desktopShortcut = args.Text("--desktop-shortcut", host);
    options.programsShortcut = args.Text("--programs-shortcut", host);
    if (const std::optional<fs::path> zip = args.Value("--zip")) options.zip = host.TextOf(*zip);
    if (const std::optional<fs::path> launch = args.Value("--autolaunch")) {
        const std::string value = PathText(*launch);
        if (value != "true" && value != "false") {
            throw UsageError{"--autolaunch takes true or false, not " + Quoted(FromUtf8(value))};
        }
        options.autoLaunch = value == "true";
    }
    options.setupExe = args.Value("--setup-exe");
    options.unzipDll = args.Value("--unzip-dll");
    options.codePage = CodePageOf(args);
    options.modified = ModifiedOf(args);
    options.force = args.Has("--force");
    options.strict = args.Has("--strict");
    options.json = args.Has("--json");
    options.singleFile = args.Value("--single-file");
    options.launcher = args.Value("--launcher");
    options.branding = BrandingOf(args, host);
    options.sign = SignCommandOf(args);
    if (!UnzipLibraryLoads(host, err)) return kExitIo;
    return RunBuild(options, host, out, err);
}

int Bundle(const Arguments& args, Host& host, std::ostream& out, std::ostream& err) {
    BundleOptions options;
    options.packageDir = args.operands[0];
    const ToolFile launcher = host.WindowsProgram(args.Value("--launcher"), kLauncherFile);
    options.singleFile = {args.operands[1], launcher.path, launcher.looked};
    options.branding = BrandingOf(args, host);
    options.sign = SignCommandOf(args);
    options.codePage = CodePageOf(args);
    options.strict = args.Has("--strict");
    options.json = args.Has("--json");
    if (!UnzipLibraryLoads(host, err)) return kExitIo;
    return RunBundle(options, host, out, err);
}

int Check(const Arguments& args, Host& host, std::ostream& out, std::ostream& err) {
    const CodePage codePage = CodePageOf(args);
    if (!UnzipLibraryLoads(host, err)) return kExitIo;
    const std::vector<Finding> findings = CheckPackage(args.operands[0], host, codePage);
    const bool strict = args.Has("--strict");
    if (args.Has("--json")) {
        out << FormatJson(findings);
    } else {
        for (const Finding& finding : findings) out << Format(finding) << "\n";
        if (findings.empty()) out << "setup-pack: " << PathText(args.operands[0]) << ": no problems found\n";
    }
    return ExitCodeOf(findings, strict);
}

int Refuse(std::ostream& err, const std::string& message) {
    err << "setup-pack: error: " << message << "\n(setup-pack --help shows the usage)\n";
    return kExitUsage;
}

}  // namespace

int RunCommandLine(const std::vector<fs::path>& args, Host& host, std::ostream& out,
                   std::ostream& err) {
    const std::string word = args.empty() ? "" : PathText(args[0]);
    if (word == "--help" || word == "-h" || word == "help") {
        out << Usage();
        return kExitClean;
    }
    if (word == "--version") {
        out << kVersion << "\n";
        return kExitClean;
    }
    for (const CommandSpec& command : kCommands) {
        if (word != command.name) continue;
        try {
            const Arguments parsed = Parse(command, args);
            if (parsed.Has("--help")) {
                out << Usage();
                return kExitClean;
            }
            if (parsed.Has("--version")) {
                out << kVersion << "\n";
                return kExitClean;
            }
            if (parsed.operands.size() != command.operandCount) {
                throw UsageError{std::string(command.name) + " takes " + command.operands};
            }
            return command.run(parsed, host, out, err);
        } catch (const UsageError& e) {
            return Refuse(err, e.message);
        }
    }
    return Refuse(err, word.empty() ? "no command given" : "unknown command " + word);
}

}  // namespace packer
