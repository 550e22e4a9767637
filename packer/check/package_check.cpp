#include "packer/check/package_check.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <system_error>

#include "common/failure.h"
#include "common/truth.h"
#include "installer/frm_setup.h"
#include "installer/setup_file.h"
#include "installer/setup_keys.h"
#include "packer/base/text.h"
#include "packer/check/archive_listing.h"
#include "packer/check/archive_names.h"
#include "packer/check/exe_kind.h"
#include "packer/check/package_services.h"
#include "packer/check/program_kind.h"
#include "packer/check/setup_lines.h"
#include "packer/check/setup_lint.h"
#include "unzip/unzip_files.h"
#include "unzip32/unzip32.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

using installer::kKeyExeFile;
using installer::kKeyTarget;
using installer::kKeyZipFile;

constexpr size_t kLibraryMessageLimit = 400;  // characters of the library's text in a finding

bool ReadBytes(const fs::path& file, std::string& bytes) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The library's printed text on one line.
std::string OneLine(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r' || c == L'\n') {
            if (!out.empty() && out.back() != L' ') out += L"; ";
        } else {
            out.push_back(c);
        }
    }
    while (!out.empty() && (out.back() == L' ' || out.back() == L';')) out.pop_back();
    if (out.size() > kLibraryMessageLimit) out = out.substr(0, kLibraryMessageLimit) + L"...";
    return ToUtf8(out);
}

class PackageCheck {
public:
    PackageCheck(const fs::path& folder, Host& host, const CodePage& codePage,
                 std::optional<std::string> setupFile)
        : folder_(folder), host_(host), codePage_(codePage), fileText_(codePage),
          bytes_(setupFile.value_or("")), present_(setupFile.has_value()),
          services_(host, host.TextOf(folder), std::move(setupFile), &fileText_) {}

    std::vector<Finding> OnDisk() {
        Settings();
        if (present_) {
            CheckTarget();
            CheckArchive();
        }
        CheckShippedFile(kSetupProgramFile, ProgramKind::Program);
        CheckShippedFile(kLibraryFile, ProgramKind::Library);
        CheckOtherFiles();
        return Sorted();
    }

    std::vector<Finding> Planned(const std::vector<ArchiveName>& names, const std::string& source) {
        Settings();
        CheckTarget();
        CheckNames(names);
        CheckExeLine(&names, source);
        return Sorted();
    }

private:
    void Add(std::string file, int line, Severity severity, std::string code, std::string message) {
        findings_.push_back({std::move(file), line, severity, std::move(code), std::move(message)});
    }
    void AddIni(int line, Severity severity, std::string code, std::string message) {
        Add(kSetupFileName, line, severity, std::move(code), std::move(message));
    }

    void Settings() {
        lines_ = SplitSetupLines(bytes_);
        if (present_) Append(LintSetupFile(bytes_, lines_, codePage_));
        LoadSettings();
    }

    std::vector<Finding> Sorted() {
        std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
            const bool aIni = a.file == kSetupFileName, bIni = b.file == kSetupFileName;
            if (aIni != bIni) return aIni;
            return aIni && a.line < b.line;
        });
        return std::move(findings_);
    }
    void Append(std::vector<Finding> more) {
        findings_.insert(findings_.end(), more.begin(), more.end());
    }

    // The installer's own reading of the file, as at the start of setup.exe.
    void LoadSettings() {
        try {
            installer::ReadSetupFile(loaded_);
        } catch (const common::Failure& failure) {
            stop_ = failure;
        }
        if (!stop_) {
            applied_ = lines_.size();
            return;
        }
        const int read = services_.LinesRead();
        applied_ = read > 0 ? static_cast<size_t>(read - 1) : 0;
        const int line = read > 0 && static_cast<size_t>(read) <= lines_.size()
                             ? lines_[static_cast<size_t>(read) - 1].firstLine
                             : 0;
        const std::string description = ToUtf8(stop_->Description());
        if (read == 0 && stop_->Number() == static_cast<int32_t>(common::FailureNumber::FileNotFound)) {
            AddIni(0, Severity::Error, "setup-ini-missing",
                   "missing from the package folder: setup.exe stops at start with \"" +
                       description + "\"");
        } else if (stop_->Number() == static_cast<int32_t>(common::FailureNumber::TypeMismatch)) {
            AddIni(line, Severity::Error, "autolaunch-type-mismatch",
                   "AUTOLAUNCH value is neither true, false nor a number: setup.exe stops at start "
                   "with \"" + description + "\" and reads no line after it");
        } else {
            AddIni(line, Severity::Error, "setup-stops", "setup.exe stops at start: " + description);
        }
    }

    // The last line for `key` the installer applied, or else (after a stop)
    // the last one in the file.
    const SetupLine* LastLine(std::string_view key, bool& applied) const {
        const SetupLine* found = nullptr;
        for (size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].HasEquals() && lines_[i].Key() == key) {
                found = &lines_[i];
                applied = i < applied_;
            }
        }
        return found;
    }

    // A line's value, decoded as setup.exe decodes the file.
    std::wstring ValueOf(const SetupLine& line) const { return codePage_.Decode(line.Value()); }

    // The destination folder setup.exe proposes; empty without a TARGET line.
    std::wstring TargetDir() const {
        bool applied = false;
        const SetupLine* line = LastLine(kKeyTarget, applied);
        if (line == nullptr) return {};
        return applied ? loaded_.settings.TargetDir : installer::TargetFolderOf(ValueOf(*line));
    }

    // The archive's file name as Setup.ini gives it; empty without a ZIPFILE line.
    std::wstring ArchiveFileName() const {
        bool applied = false;
        const SetupLine* line = LastLine(kKeyZipFile, applied);
        return line == nullptr ? std::wstring() : ValueOf(*line);
    }

    void CheckTarget() {
        bool applied = false;
        const SetupLine* line = LastLine(kKeyTarget, applied);
        if (line == nullptr) {
            AddIni(0, Severity::Error, "target-missing",
                   "no TARGET line: the destination box starts empty, and setup.exe cannot create "
                   "the folder \"\"");
            return;
        }
        const std::wstring value = ValueOf(*line);
        if (value.empty()) {
            AddIni(line->firstLine, Severity::Warning, "target-empty",
                   "TARGET is empty: setup.exe proposes C:\\Program Files\\ itself, and the "
                   "application's files land among all the others there");
            return;
        }
        if (!IsFullPath(value)) return;
        const std::wstring proposed =
            applied ? loaded_.texts.target.value_or(L"") : installer::TargetFolderOf(value);
        AddIni(line->firstLine, Severity::Error, "target-full-path",
               "TARGET " + Quoted(value) + " is a full path, but setup.exe puts every TARGET "
               "behind C:\\Program Files\\ and proposes " + Quoted(proposed) +
               ": give the folder's name below Program Files");
    }

    void CheckArchive() {
        bool zipApplied = false;
        const SetupLine* zipLine = LastLine(kKeyZipFile, zipApplied);
        if (zipLine == nullptr) {
            AddIni(0, Severity::Error, "zipfile-missing",
                   "no ZIPFILE line: setup.exe finds no archive and stops with \"Error: Can't "
                   "locate Setup.zip\"");
            CheckExeLine(nullptr, "");
            return;
        }
        const std::wstring zipName = ValueOf(*zipLine);
        const std::wstring zipPath = zipApplied ? loaded_.settings.ZipPath
                                                : host_.TextOf(folder_) + L"\\" + zipName;
        const int at = zipLine->firstLine;
        bool present = false;
        try {
            present = installer::frmSetup::FileExists(zipPath) != 0;
        } catch (const common::Failure& failure) {
            AddIni(at, Severity::Error, "archive-unreachable",
                   "setup.exe cannot look for the archive " + QuotedPath(host_.PathOf(zipPath)) + ": " +
                       ToUtf8(failure.Description()));
            return;
        }
        if (!present) {
            AddIni(at, Severity::Error, "archive-missing",
                   "the archive " + Quoted(zipName) + " is not in the package folder: setup.exe "
                   "stops with \"Error: Can't locate Setup.zip\"");
            CheckExeLine(nullptr, "");
            return;
        }
        const fs::path archive = host_.PathOf(zipPath);
        const Listing listing = ReadListingOfFile(archive);
        const size_t encrypted = std::count_if(listing.entries.begin(), listing.entries.end(),
                                               [](const ListedEntry& e) { return e.Encrypted(); });
        if (encrypted > 0) {
            AddIni(at, Severity::Warning, "archive-encrypted",
                   std::to_string(encrypted) + " entries of the archive are encrypted: setup.exe "
                   "asks the person installing for the password, and this check could not test them");
        }
        const bool tested = TestArchive(archive, at, encrypted > 0);
        if (!listing.problem.empty()) {
            if (!tested) return;  // the library has said what is wrong
            AddIni(at, Severity::Warning, "archive-unlisted",
                   "cannot list the archive (" + listing.problem +
                       "), so EXEFILE and the names were not looked up in it");
            return;
        }
        std::vector<ArchiveName> names;
        names.reserve(listing.entries.size());
        for (const ListedEntry& entry : listing.entries) names.push_back({entry.name, entry.directory, entry.notUtf8});
        CheckNames(names);
        CheckExeLine(&names, "the archive");
    }

    void CheckNames(const std::vector<ArchiveName>& names) {
        Append(CheckArchiveNames(names, ToUtf8(ArchiveFileName()), TargetDir()));
    }

    // Our unzip library in test mode, loaded as setup.exe loads it.
    bool TestArchive(const fs::path& archive, int at, bool encrypted) {
        unzip::UnzipFiles unzipper;
        unzipper.ZipFileName(host_.TextOf(archive));
        unzipper.TestZip(common::kTrue);
        int32_t result = 0;
        try {
            result = unzipper.Unzip();
        } catch (const common::Failure& failure) {
            AddIni(at, Severity::Error, "archive-untested",
                   "cannot test the archive: " + ToUtf8(failure.Description()) + " (the check "
                   "loads " + host_.unzipLibraryFile + ", which comes with setup-pack)");
            return false;
        }
        // Without a password the encrypted entries fail; that is reported above.
        if (result == 0 || (encrypted && (result == UZ_WARNING || result == UZ_BAD_PASSWORD))) {
            return true;
        }
        AddIni(at, Severity::Error, "archive-damaged",
               "the archive is not fully extractable: the unzip library's test ends with result " +
                   std::to_string(result) + ": " + OneLine(unzipper.GetLastMessage()));
        return false;
    }

    // setup.exe starts TARGET\EXEFILE: the file must lie at that path below
    // the archive's top level. `where` names what holds the names.
    void CheckExeLine(const std::vector<ArchiveName>* names, const std::string& where) {
        bool applied = false;
        const SetupLine* line = LastLine(kKeyExeFile, applied);
        if (line == nullptr) {
            AddIni(0, Severity::Error, "exefile-missing",
                   "no EXEFILE line: after installing, setup.exe starts the destination folder "
                   "itself (\"TARGET\\\"), which fails");
            return;
        }
        if (names == nullptr) return;
        const std::wstring exe = applied ? loaded_.settings.ExeFile : ValueOf(*line);
        std::wstring wanted = exe;
        std::replace(wanted.begin(), wanted.end(), L'\\', L'/');
        wanted = FoldCase(wanted);  // Windows file names ignore case
        std::wstring nested;
        for (const ArchiveName& entry : *names) {
            if (entry.directory) continue;
            const std::wstring name = FoldCase(entry.name);
            if (name == wanted) {
                if (const std::optional<ExeKindWarning> kind = ExeFileKindWarning(exe)) {
                    AddIni(line->firstLine, Severity::Warning, kind->code, kind->message);
                }
                return;
            }
            if (nested.empty() && name.size() > wanted.size() &&
                name.ends_with(L"/" + wanted)) {
                nested = entry.name;
            }
        }
        if (!nested.empty()) {
            AddIni(line->firstLine, Severity::Error, "exefile-nested",
                   "EXEFILE " + Quoted(exe) + " is not at the top level of " + where + " (which "
                   "has it as " + Quoted(nested) + "): setup.exe would start TARGET\\" +
                       ToUtf8(exe) + ", which is not there");
        } else {
            AddIni(line->firstLine, Severity::Error, "exefile-not-found",
                   "EXEFILE " + Quoted(exe) + " is not in " + where + ", so starting the "
                   "installed program fails");
        }
    }

    // Windows finds files whatever the case of their names.
    void CheckShippedFile(const std::string& name, ProgramKind kind) {
        std::error_code error;
        const std::wstring wanted = FoldCase(FromUtf8(name));
        for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
            if (FoldCase(host_.TextOf(it->path().filename())) != wanted || it->is_directory(error)) continue;
            if (const std::string problem = ProgramFileProblem(it->path(), kind); !problem.empty()) {
                Add(name, 0, Severity::Error, "file-not-a-program",
                    "the file " + problem + (kind == ProgramKind::Program ? ": Windows cannot start it"
                                                                          : ": setup.exe cannot load it"));
            }
            return;
        }
        Add(name, 0, Severity::Error, "file-missing", "missing from the package folder");
    }

    // Whatever else lies in the folder ships with the package: a stale
    // archive of an earlier build, or a library that a program started from
    // the folder may load. Without a ZIPFILE line it is not known which
    // archive is the package's own.
    void CheckOtherFiles() {
        if (ArchiveFileName().empty()) return;
        std::vector<std::wstring> own = PackageFileNames(ArchiveFileName());
        for (std::wstring& name : own) name = FoldCase(name);
        std::error_code error;
        std::vector<fs::path> entries;
        for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
            entries.push_back(it->path());
        }
        std::sort(entries.begin(), entries.end());
        for (const fs::path& entry : entries) {
            const std::wstring name = host_.TextOf(entry.filename());
            if (std::find(own.begin(), own.end(), FoldCase(name)) != own.end()) continue;
            const bool library = FoldCase(name).ends_with(L".DLL");
            Add(ToUtf8(name), 0, Severity::Warning, "other-file",
                std::string(fs::is_directory(entry, error) ? "a folder" : "a file") +
                    " that is not part of the package, but ships with it" +
                    (library ? ": a library beside setup.exe may be loaded by the programs "
                               "started from this folder; remove it"
                             : ": remove it (an archive or file left by an earlier build?)"));
        }
    }

    fs::path folder_;
    Host& host_;
    const CodePage& codePage_;
    CodePageText fileText_;
    std::string bytes_;
    bool present_;
    PackageServices services_;
    std::vector<SetupLine> lines_;
    size_t applied_ = 0;  // lines the installer applied
    std::optional<common::Failure> stop_;
    installer::SetupFileValues loaded_;  // as far as the installer read the file
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<std::wstring> PackageFileNames(std::wstring_view archiveName) {
    std::vector<std::wstring> names{FromUtf8(kSetupFileName), FromUtf8(kSetupProgramFile),
                                    FromUtf8(kLibraryFile)};
    if (!archiveName.empty()) names.emplace_back(archiveName);
    return names;
}

std::vector<Finding> CheckPackage(const fs::path& folder, Host& host, const CodePage& codePage) {
    std::error_code error;
    fs::path absolute = fs::absolute(folder, error);
    if (error) absolute = folder;
    absolute = absolute.lexically_normal();
    if (!absolute.has_filename() && absolute.has_parent_path() && absolute != absolute.root_path()) {
        absolute = absolute.parent_path();
    }
    if (!fs::is_directory(absolute, error)) {
        return {{PathText(folder), 0, Severity::Error, "not-a-folder", "not a folder"}};
    }
    std::optional<std::string> setupFile;
    if (std::string bytes; ReadBytes(absolute / kSetupFileName, bytes)) setupFile = std::move(bytes);
    return PackageCheck(absolute, host, codePage, std::move(setupFile)).OnDisk();
}

std::vector<Finding> CheckPlannedPackage(const PlannedPackage& package, Host& host,
                                         const CodePage& codePage) {
    return PackageCheck(package.folder, host, codePage, package.setupFile)
        .Planned(package.names, package.source);
}

}  // namespace packer
