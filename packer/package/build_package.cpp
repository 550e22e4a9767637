#include "packer/package/build_package.h"

#include <system_error>

#include "installer/setup_keys.h"
#include "packer/archive/app_tree.h"
#include "packer/archive/write_archive.h"
#include "packer/base/pack_error.h"
#include "packer/base/progress.h"
#include "packer/base/text.h"
#include "packer/check/package_check.h"
#include "packer/check/program_kind.h"
#include "packer/check/setup_lint.h"
#include "packer/files/file_ops.h"
#include "packer/files/folder_lock.h"
#include "packer/files/new_file.h"
#include "packer/files/output_folder.h"
#include "packer/package/run_report.h"
#include "packer/single_file/bundle.h"
#include "packer/single_file/single_file_plan.h"

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

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool HasBlankEnds(const std::wstring& v) {
    return !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
}

// Everything about the options and paths that stops a build, before any
// file is read or written.
class OptionCheck {
public:
    OptionCheck(const BuildOptions& o, Host& host) : o_(o), host_(host) {}

    std::vector<Finding> Run() {
        Required("--target", o_.target, "the folder below C:\\Program Files\\ that setup.exe proposes");
        Required("--exe", o_.exe, "the program setup.exe starts, as a path inside APPDIR");
        Name("--target", o_.target);
        Name("--exe", o_.exe);
        Name("--desktop-shortcut", o_.desktopShortcut);
        Name("--programs-shortcut", o_.programsShortcut);
        if (o_.desktopShortcut && o_.programsShortcut && *o_.desktopShortcut != *o_.programsShortcut) {
            Refuse("shortcut-names",
                   "--desktop-shortcut and --programs-shortcut differ, but Setup.ini has one "
                   "shortcut name for both (the later line wins): give both the same NAME");
        }
        Zip();
        Folders();
        Shipped("--setup-exe", o_.setupExe, kSetupProgramFile, ProgramKind::Program);
        Shipped("--unzip-dll", o_.unzipDll, kLibraryFile, ProgramKind::Library);
        if (o_.singleFile) SingleFileRefusals();
        return std::move(findings_);
    }

    SingleFilePlan SingleFile() const {
        const ToolFile launcher = host_.WindowsProgram(o_.launcher, kLauncherFile);
        return {o_.singleFile.value_or(fs::path()), launcher.path, launcher.looked};
    }

private:
    void Refuse(const char* code, std::string message) {
        findings_.push_back(ToolRefusal(code, std::move(message)));
    }

    void Add(const std::vector<Finding>& refusals) { findings_.insert(findings_.end(), refusals.begin(), refusals.end()); }

    void SingleFileRefusals() {
        const std::vector<FolderKeptApart> apart{
            {o_.outDir, "OUTDIR", "single-file-inside-outdir", "it would ship with the package folder"},
            {o_.appDir, "APPDIR", "single-file-inside-appdir", "the next build would pack it into the archive"}};
        Add(CheckSingleFilePlan(SingleFile(), "--single-file", apart,
                                {ShippedPath(o_.setupExe, kSetupProgramFile), ShippedPath(o_.unzipDll, kLibraryFile)}));
    }

    void Required(const char* option, const std::optional<std::wstring>& value, const char* what) {
        if (!value) Refuse("option-required", std::string(option) + " is required: " + what);
    }

    void Name(const char* option, const std::optional<std::wstring>& value) {
        if (!value) return;
        if (value->empty()) Refuse("option-empty", std::string(option) + " must not be empty");
        if (HasBlankEnds(*value)) {
            Refuse("option-blank-ends", std::string(option) + " " + Quoted(*value) +
                                            ": blanks at its start or end would be kept by setup.exe");
        }
    }

    void Zip() {
        Name("--zip", o_.zip);
        if (o_.zip.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) {
            Refuse("option-zip", "--zip " + Quoted(o_.zip) + ": must be a plain file name beside setup.exe");
            return;
        }
        for (const char* taken : {kSetupFileName, kSetupProgramFile, kLibraryFile}) {
            if (FoldCase(o_.zip) == FoldCase(FromUtf8(taken))) {
                Refuse("option-zip", "--zip " + Quoted(o_.zip) + ": that name belongs to another "
                                     "file of the package");
            }
        }
    }

    void Folders() {
        std::error_code error;
        if (!fs::is_directory(o_.appDir, error)) {
            Refuse("appdir-missing", "APPDIR " + QuotedPath(o_.appDir) + " is not a folder");
            return;
        }
        if (fs::is_empty(o_.appDir, error)) {
            Refuse("appdir-empty", "APPDIR " + QuotedPath(o_.appDir) + " is empty");
        }
        if (IsWithin(o_.outDir, o_.appDir)) {
            Refuse("outdir-inside-appdir", "OUTDIR " + QuotedPath(o_.outDir) + " lies inside "
                                           "APPDIR: the archive would pack itself");
        }
        if (fs::exists(o_.outDir, error) && !fs::is_directory(o_.outDir, error)) {
            Refuse("outdir-not-a-folder", "OUTDIR " + QuotedPath(o_.outDir) + " is not a folder");
        }
        for (const fs::path& taken : OutputFolder(o_.outDir, OutputFileNames(o_), host_).Blocked()) {
            Refuse("outdir-name-taken", "OUTDIR " + QuotedPath(o_.outDir) + " holds a folder " +
                                            QuotedPath(taken.filename()) + ", where build writes a file of "
                                            "that name: remove it");
        }
    }

    void Shipped(const char* option, const std::optional<fs::path>& given, const char* name, ProgramKind kind) {
        const ToolFile shipped = host_.WindowsProgram(given, name);
        const std::vector<Finding> missing = CheckToolFile(shipped.path, shipped.looked, name, option);
        Add(missing);
        if (!missing.empty()) return;
        if (const std::string problem = ProgramFileProblem(shipped.path, kind); !problem.empty())
            Refuse("shipped-file-invalid", std::string(name) + " at " + QuotedPath(shipped.path) + " " + problem);
    }

public:
    fs::path ShippedPath(const std::optional<fs::path>& given, const char* name) const {
        return host_.WindowsProgram(given, name).path;
    }

private:
    const BuildOptions& o_;
    Host& host_;
    std::vector<Finding> findings_;
};

// Files of APPDIR reached through a link to a file outside it: packed as
// they are, which may not be what the packager thinks ships.
std::vector<Finding> LinksOutside(const std::vector<AppEntry>& tree, const fs::path& appDir) {
    std::vector<Finding> warnings;
    std::error_code error;
    for (const AppEntry& entry : tree) {
        if (!entry.link || IsWithin(fs::canonical(entry.source, error), appDir)) continue;
        warnings.push_back({"setup-pack", 0, Severity::Warning, "link-outside",
                            QuotedPath(entry.source) + " is a link to " +
                                QuotedPath(fs::read_symlink(entry.source, error)) +
                                ", a file outside APPDIR: its content is packed as " + QuotedBytes(entry.name)});
    }
    return warnings;
}

class Builder {
public:
    Builder(const BuildOptions& o, Host& host, std::ostream& out, std::ostream& err)
        : o_(o), host_(host), report_(out, err, o.json) {}

    int Run() {
        std::vector<Finding> findings;
        try {
            findings = Plan();
            if (HasErrors(findings, o_.strict)) {
                report_.Refusals(findings);
                report_.Error() << "setup-pack: nothing written\n";
                return report_.End(kExitErrors);
            }
            SignPrograms();
            Write();
        } catch (const PackError& e) {
            return Stop(e, "setup-pack: nothing written\n");
        }
        for (const std::wstring& name : OutputFileNames(o_)) report_.Written(o_.outDir / host_.PathOf(name));
        // A single file of an earlier build would no longer match the package.
        std::error_code error;
        if (o_.singleFile && !fs::remove(*o_.singleFile, error) && error) {
            return Stop(PackError("cannot remove " + QuotedPath(*o_.singleFile) + " of an earlier build: " +
                                  error.message()),
                        "");
        }
        findings = linkWarnings_;
        for (const Finding& finding : CheckPackage(o_.outDir, host_, o_.codePage)) {
            // The lock this run still holds goes when it ends.
            if (finding.file != FolderLock::kFileName) findings.push_back(finding);
        }
        report_.Findings(findings);
        if (findings.empty()) report_.Note() << "setup-pack: package " << PathText(o_.outDir) << " built and checked\n";
        if (!o_.singleFile) return report_.End(ExitCodeOf(findings, o_.strict));
        const std::string notWritten = "setup-pack: " + QuotedPath(*o_.singleFile) + " not written";
        if (HasErrors(findings, o_.strict)) {
            report_.Error() << notWritten << ": the package has errors\n";
            return report_.End(kExitErrors);
        }
        try {
            // The package's programs are signed already: only the whole file is.
            WriteSingleFile(singleFile_.launcher, o_.outDir, singleFile_.output, host_,
                            {o_.sign ? &*o_.sign : nullptr, true}, &branding_.identity);
        } catch (const PackError& e) {
            return Stop(e, notWritten + "\n");
        }
        report_.Written(singleFile_.output);
        report_.Note() << "setup-pack: single file " << PathText(singleFile_.output)
                       << (o_.sign ? " written and signed\n" : " written\n");
        return report_.End(ExitCodeOf(findings, o_.strict));
    }

private:
    // The findings that decide whether to write: the options first; once
    // they hold, the package as it would be written.
    std::vector<Finding> Plan() {
        OptionCheck options(o_, host_);
        std::vector<Finding> findings = options.Run();
        setupExe_ = options.ShippedPath(o_.setupExe, kSetupProgramFile);
        unzipDll_ = options.ShippedPath(o_.unzipDll, kLibraryFile);
        singleFile_ = options.SingleFile();
        composed_ = ComposeSetupFile(o_);
        findings.insert(findings.end(), composed_.findings.begin(), composed_.findings.end());
        if (o_.singleFile) {
            branding_ = single_file::PlanBranding(o_.branding, {o_.name, "--name"}, singleFile_);
            findings.insert(findings.end(), branding_.refusals.begin(), branding_.refusals.end());
        }
        if (HasErrors(findings)) return findings;
        tree_ = CollectAppTree(o_.appDir);
        if (const std::string problem = ArchiveLimitProblem(tree_); !problem.empty()) {
            findings.push_back(ToolRefusal("archive-limit", problem));
        }
        // Shown with the package's findings once it is written; refused
        // with the others under --strict.
        linkWarnings_ = LinksOutside(tree_, o_.appDir);
        findings.insert(findings.end(), linkWarnings_.begin(), linkWarnings_.end());
        PlannedPackage planned{o_.outDir, composed_.bytes, {}, "the application folder"};
        for (const AppEntry& entry : tree_) {
            planned.names.push_back(
                {FromUtf8(entry.name), entry.directory, IsUtf8(entry.name) ? std::string() : entry.name});
        }
        const std::vector<Finding> package = CheckPlannedPackage(planned, host_, o_.codePage);
        findings.insert(findings.end(), package.begin(), package.end());
        OtherFiles(findings);
        return findings;
    }

    void OtherFiles(std::vector<Finding>& findings) const {
        const std::vector<fs::path> others = OutputFolder(o_.outDir, OutputFileNames(o_), host_).OtherEntries();
        if (others.empty() || o_.force) return;
        std::string names;
        for (const fs::path& other : others) names += (names.empty() ? "" : ", ") + QuotedPath(other.filename());
        findings.push_back(ToolRefusal(
            "outdir-other-files",
            "OUTDIR " + QuotedPath(o_.outDir) + " holds what build does not write: " + names +
                "; it would ship with the package: give an empty or new folder, or --force to "
                "build there anyway (which replaces only the package's own files)"));
    }

    int Stop(const PackError& e, const std::string& then) {
        report_.Error() << "setup-pack: error: " << e.what() << "\n" << then;
        return report_.End(e.kind() == PackError::Kind::Package ? kExitErrors : kExitIo);
    }

    // Signed copies of the two programs, before anything is written: a
    // failing command leaves the package folder as it was.
    void SignPrograms() {
        if (!o_.sign) return;
        signedPrograms_.emplace(NewTemporaryFolder());
        setupExe_ = o_.sign->SignedCopy(setupExe_, signedPrograms_->path(), kSetupProgramFile, ProgramKind::Program);
        unzipDll_ = o_.sign->SignedCopy(unzipDll_, signedPrograms_->path(), kLibraryFile, ProgramKind::Library);
    }

    // Every file is written and verified in the folder's private staging
    // folder, then all are put in place together (output_folder.h). The
    // folder stays locked until the run ends, so that its check and the
    // single file made of it see this package, not one a second build writes.
    void Write() {
        PackageWrite& write = written_.emplace(OutputFolder(o_.outDir, OutputFileNames(o_), host_));
        uint64_t bytes = 0;
        size_t files = 0;
        for (const AppEntry& entry : tree_) {
            bytes += entry.size;
            files += entry.directory ? 0 : 1;
        }
        Progress progress(report_.Error(), host_.errorIsTerminal, files, bytes);
        ArchiveOptions archive;
        archive.modified = o_.modified;
        archive.progress = &progress;
        WriteArchive(tree_, write.Staging() / host_.PathOf(o_.zip), archive);
        WriteNewFile(write.Staging() / kSetupFileName, composed_.bytes);
        CopyInto(setupExe_, write.Staging(), kSetupProgramFile);
        CopyInto(unzipDll_, write.Staging(), kLibraryFile);
        write.Commit();
    }

    const BuildOptions& o_;
    Host& host_;
    RunReport report_;
    fs::path setupExe_, unzipDll_;
    SingleFilePlan singleFile_;
    single_file::BrandingPlan branding_;
    std::optional<TemporaryPath> signedPrograms_;
    ComposedSetupFile composed_;
    std::vector<AppEntry> tree_;
    std::vector<Finding> linkWarnings_;
    std::optional<PackageWrite> written_;
};

}  // namespace

ComposedSetupFile ComposeSetupFile(const BuildOptions& o) {
    ComposedSetupFile file;
    int number = 0;
    auto line = [&](std::string_view key, const std::optional<std::wstring>& value) {
        if (!value) return;
        ++number;
        auto refuse = [&](const char* code, const std::string& why) {
            file.findings.push_back({kSetupFileName, number, Severity::Error, code,
                                     std::string(key) + " " + Quoted(*value) + " " + why});
        };
        if (value->find(L'=') != std::wstring::npos) {
            refuse("value-equals", "holds \"=\", at which setup.exe ends the value");
        }
        if (value->find_first_of(L"\r\n") != std::wstring::npos) {
            refuse("value-line-break", "holds a line break, but Setup.ini has one line per key");
        }
        std::string bytes;
        char32_t missing = 0;
        if (!o.codePage.Encode(*value, bytes, missing)) {
            refuse("value-code-page", "holds " + ShownCharacter(missing) + ", which " +
                                          o.codePage.Name() + " cannot hold (give --codepage for "
                                          "the code page of the computers it installs on)");
        }
        file.bytes += std::string(key) + "=" + bytes + "\r\n";
    };
    line(kKeyMessage, o.message);
    line(kKeyApplication, o.name);
    line(kKeyTarget, o.target);
    line(kKeyZipFile, o.zip);
    line(kKeyExeFile, o.exe);
    line(kKeyShortcutPrograms, o.programsShortcut);
    line(kKeyShortcutDesktop, o.desktopShortcut);
    if (o.autoLaunch) line(kKeyAutoLaunch, *o.autoLaunch ? L"true" : L"false");
    file.bytes += CodePageLine(o.codePage) + "\r\n";
    return file;
}

std::vector<std::wstring> OutputFileNames(const BuildOptions& options) {
    return PackageFileNames(options.zip);
}

int RunBuild(const BuildOptions& options, Host& host, std::ostream& out, std::ostream& err) {
    return Builder(options, host, out, err).Run();
}

}  // namespace packer
