#include "packer/build_package.h"

#include <fstream>
#include <system_error>

#include "common/failure.h"
#include "common/truth.h"
#include "installer/setup_keys.h"
#include "packer/app_tree.h"
#include "packer/findings.h"
#include "packer/pack_error.h"
#include "packer/package_check.h"
#include "packer/setup_lint.h"
#include "packer/text.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

using installer::kKeyApplication;
using installer::kKeyAutoLaunch;
using installer::kKeyExeFile;
using installer::kKeyMessage;
using installer::kKeyShortcutDesktop;
using installer::kKeyShortcutPrograms;
using installer::kKeyTarget;
using installer::kKeyZipFile;

// Characters Windows does not allow in a file name; a shortcut's name
// becomes one, with ".lnk".
constexpr std::wstring_view kNotInFileNames = L"\\/:*?\"<>|";
constexpr wchar_t kCrLf[] = L"\r\n";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool HasBlankEnds(const std::wstring& v) {
    return !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
}

// Is `inner` the folder `outer` or below it?
bool IsWithin(const fs::path& inner, const fs::path& outer) {
    std::error_code error;
    const fs::path a = fs::weakly_canonical(inner, error);
    const fs::path b = fs::weakly_canonical(outer, error);
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (bi->empty()) continue;  // a trailing separator
        if (ai == a.end() || *ai != *bi) return false;
    }
    return true;
}

class Validator {
public:
    Validator(const BuildOptions& o, Host& host) : o_(o), host_(host) {}

    std::vector<std::string> Run() {
        Text("--message", kKeyMessage, o_.message);
        Text("--name", kKeyApplication, o_.name);
        Target();
        Exe();
        Shortcut("--desktop-shortcut", kKeyShortcutDesktop, o_.desktopShortcut);
        Shortcut("--programs-shortcut", kKeyShortcutPrograms, o_.programsShortcut);
        if (o_.desktopShortcut && o_.programsShortcut && *o_.desktopShortcut != *o_.programsShortcut) {
            Refuse("--desktop-shortcut and --programs-shortcut differ, but Setup.ini has one "
                   "shortcut name for both (the later line wins): give both the same NAME");
        }
        AutoLaunch();
        Zip();
        Folders();
        return std::move(problems_);
    }

private:
    void Refuse(std::string message) { problems_.push_back(std::move(message)); }

    // What every value needs to survive the trip through Setup.ini.
    bool Text(const char* option, std::string_view key, const std::optional<std::wstring>& value) {
        if (!value) return true;
        const std::string what = std::string(option) + " " + Quoted(*value) + ": ";
        bool fine = true;
        if (value->find(L'=') != std::wstring::npos) {
            Refuse(what + "a value cannot hold \"=\": setup.exe ends the " + std::string(key) +
                   " value at it");
            fine = false;
        }
        if (value->find_first_of(L"\r\n") != std::wstring::npos) {
            Refuse(what + "a value cannot hold a line break: Setup.ini has one line per key");
            fine = false;
        }
        if (host_.ansi->FromAnsi(host_.ansi->ToAnsi(*value)) != *value) {
            Refuse(what + "cannot be written in the system's ANSI code page, which is how "
                          "setup.exe reads Setup.ini");
            fine = false;
        }
        return fine;
    }

    bool Name(const char* option, std::string_view key, const std::optional<std::wstring>& value) {
        if (!Text(option, key, value)) return false;
        const std::string what = std::string(option) + " " + Quoted(*value) + ": ";
        if (value->empty()) {
            Refuse(what + "must not be empty");
            return false;
        }
        if (HasBlankEnds(*value)) {
            Refuse(what + "blanks at its start or end would be kept by setup.exe");
            return false;
        }
        return true;
    }

    void Target() {
        if (!o_.target) {
            Refuse("--target is required: the folder below C:\\Program Files\\ that setup.exe proposes");
            return;
        }
        if (!Name("--target", kKeyTarget, o_.target)) return;
        if (IsFullPath(*o_.target)) {
            Refuse("--target " + Quoted(*o_.target) + ": setup.exe puts TARGET behind "
                   "C:\\Program Files\\, so it must be a folder name there, not a full path");
        }
    }

    void Exe() {
        if (!o_.exe) {
            Refuse("--exe is required: the program setup.exe starts, as a path inside APPDIR");
            return;
        }
        if (!Name("--exe", kKeyExeFile, o_.exe)) return;
        std::error_code error;
        if (IsFullPath(*o_.exe) || !fs::is_regular_file(o_.appDir / host_.PathOf(*o_.exe), error)) {
            Refuse("--exe " + Quoted(*o_.exe) + ": no such file inside " + QuotedPath(o_.appDir) +
                   " (setup.exe starts TARGET\\EXEFILE)");
        }
    }

    void Shortcut(const char* option, std::string_view key, const std::optional<std::wstring>& value) {
        if (!value || !Name(option, key, value)) return;
        if (value->find_first_of(kNotInFileNames) != std::wstring::npos) {
            Refuse(std::string(option) + " " + Quoted(*value) + ": a shortcut's name becomes a "
                   "file name and cannot hold any of \\ / : * ? \" < > |");
        }
    }

    void AutoLaunch() {
        if (!Text("--autolaunch", kKeyAutoLaunch, o_.autoLaunch)) return;
        if (!o_.autoLaunch) return;
        try {
            common::TextToTruth(*o_.autoLaunch);
        } catch (const common::Failure&) {
            Refuse("--autolaunch " + Quoted(*o_.autoLaunch) + ": setup.exe would stop at start "
                   "with a type mismatch: give true or false");
        }
    }

    void Zip() {
        const std::optional<std::wstring> zip = o_.zip;
        if (!Name("--zip", kKeyZipFile, zip)) return;
        if (o_.zip.find_first_of(kNotInFileNames) != std::wstring::npos) {
            Refuse("--zip " + Quoted(o_.zip) + ": must be a plain file name beside setup.exe");
            return;
        }
        for (const char* taken : {kSetupFileName, kSetupProgramFile, kLibraryFile}) {
            if (LowerCase(o_.zip) == LowerCase(FromUtf8(taken))) {
                Refuse("--zip " + Quoted(o_.zip) + ": that name belongs to another file of the package");
            }
        }
    }

    void Folders() {
        std::error_code error;
        if (!fs::is_directory(o_.appDir, error)) {
            Refuse("APPDIR " + QuotedPath(o_.appDir) + " is not a folder");
            return;
        }
        if (fs::is_empty(o_.appDir, error)) Refuse("APPDIR " + QuotedPath(o_.appDir) + " is empty");
        if (IsWithin(o_.outDir, o_.appDir)) {
            Refuse("OUTDIR " + QuotedPath(o_.outDir) + " lies inside APPDIR: the archive would "
                   "pack itself");
        }
    }

    const BuildOptions& o_;
    Host& host_;
    std::vector<std::string> problems_;
};

fs::path Shipped(const std::optional<fs::path>& given, const char* name, Host& host) {
    const fs::path path = given ? *given : host.PathOf(host.files->ProgramFolder()) / name;
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        throw PackError(std::string(name) + " not found at " + QuotedPath(path) +
                        (given ? "" : std::string(" (beside setup-pack); give --") +
                                          (std::string(name) == kSetupProgramFile ? "setup-exe"
                                                                                  : "unzip-dll") +
                                          " PATH"));
    }
    return path;
}

void CopyInto(const fs::path& source, const fs::path& folder, const char* name) {
    std::error_code error;
    fs::copy_file(source, folder / name, fs::copy_options::overwrite_existing, error);
    if (error) {
        throw PackError("cannot copy " + QuotedPath(source) + " to " + QuotedPath(folder / name) +
                        ": " + error.message());
    }
}

}  // namespace

std::vector<std::string> ValidateBuild(const BuildOptions& options, Host& host) {
    return Validator(options, host).Run();
}

std::string SetupFileBytes(const BuildOptions& o, Host& host) {
    std::wstring text;
    auto line = [&](std::string_view key, const std::optional<std::wstring>& value) {
        if (value) text += FromUtf8(key) + L"=" + *value + kCrLf;
    };
    line(kKeyMessage, o.message);
    line(kKeyApplication, o.name);
    line(kKeyTarget, o.target);
    line(kKeyZipFile, o.zip);
    line(kKeyExeFile, o.exe);
    line(kKeyShortcutPrograms, o.programsShortcut);
    line(kKeyShortcutDesktop, o.desktopShortcut);
    if (o.autoLaunch) {
        line(kKeyAutoLaunch, common::TextToTruth(*o.autoLaunch) ? L"true" : L"false");
    }
    return host.ansi->ToAnsi(text);
}

int RunBuild(const BuildOptions& options, Host& host, std::ostream& out, std::ostream& err) {
    const std::vector<std::string> problems = ValidateBuild(options, host);
    for (const std::string& problem : problems) err << "setup-pack: error: " << problem << "\n";
    if (!problems.empty()) return 2;
    try {
        const fs::path setupExe = Shipped(options.setupExe, kSetupProgramFile, host);
        const fs::path unzipDll = Shipped(options.unzipDll, kLibraryFile, host);
        std::error_code error;
        fs::create_directories(options.outDir, error);
        if (error) throw PackError("cannot create " + QuotedPath(options.outDir) + ": " + error.message());

        WriteArchive(options.appDir, options.outDir / host.PathOf(options.zip));
        const std::string settings = SetupFileBytes(options, host);
        std::ofstream ini(options.outDir / kSetupFileName, std::ios::binary | std::ios::trunc);
        ini.write(settings.data(), static_cast<std::streamsize>(settings.size()));
        ini.close();
        if (!ini) throw PackError("cannot write " + QuotedPath(options.outDir / kSetupFileName));
        CopyInto(setupExe, options.outDir, kSetupProgramFile);
        CopyInto(unzipDll, options.outDir, kLibraryFile);
    } catch (const PackError& e) {
        err << "setup-pack: error: " << e.what() << "\n";
        return 2;
    }
    const std::vector<Finding> findings = CheckPackage(options.outDir, host);
    for (const Finding& finding : findings) out << Format(finding) << "\n";
    if (findings.empty()) out << "setup-pack: package " << PathText(options.outDir) << " built and checked\n";
    return ExitCodeOf(findings);
}

}  // namespace packer
