#include "packer/check/archive_names.h"

#include <map>

#include "packer/base/text.h"
#include "packer/check/windows_names.h"

namespace packer {

namespace {

// MAX_PATH: 260 characters with the terminating zero.
constexpr size_t kMaxPathLength = 259;

// What the unzip library does on Windows with an entry whose name has the trouble.
const char* Consequence(NameTrouble trouble) {
    switch (trouble) {
        case NameTrouble::ReservedCharacter:
        case NameTrouble::ControlCharacter:
            return "the unzip library installs it with \"_\" in its place, under a name the "
                   "program does not know";
        case NameTrouble::TrailingDotOrSpace:
            return "the program will not find it under its own name";
        default:
            return "the unzip library does not install it on Windows";
    }
}

std::wstring WithoutTrailingSlash(std::wstring name) {
    while (!name.empty() && name.back() == L'/') name.pop_back();
    return name;
}

class NameCheck {
public:
    NameCheck(const std::string& archiveFile, const std::wstring& targetDir)
        : file_(archiveFile), targetDir_(targetDir) {}

    std::vector<Finding> Run(const std::vector<ArchiveName>& names) {
        for (const ArchiveName& entry : names) {
            if (!entry.notUtf8.empty()) {
                Add(Severity::Error, "name-not-utf8",
                    "entry " + QuotedBytes(entry.notUtf8) + ": the name is not the UTF-8 text it is marked as: "
                    "the unzip library installs it with \"_\" for the bytes that are not, under a name the "
                    "program does not know");
                continue;
            }
            const std::wstring name = WithoutTrailingSlash(entry.name);
            if (Components(name)) {
                SameExceptCase(name, entry.directory);
                if (!entry.directory) Length(name);
            }
        }
        return std::move(findings_);
    }

private:
    void Add(Severity severity, std::string code, std::string message) {
        findings_.push_back({file_, 0, severity, std::move(code), std::move(message)});
    }

    bool Components(const std::wstring& name) {
        for (std::wstring_view part : PathComponents(name)) {
            if (part == L".") continue;  // the folder itself: dropped when installing
            const auto problem = ProblemOfName(part);
            if (!problem) continue;
            Add(Severity::Error, std::string("name-") + CodeOf(problem->trouble),
                "entry " + Quoted(name) + ": " + Explain(*problem, part) + ": " +
                    Consequence(problem->trouble));
            return false;
        }
        return true;
    }

    // On Windows the later of two such files replaces the earlier one.
    void SameExceptCase(const std::wstring& name, bool directory) {
        const auto [seen, fresh] = seen_.try_emplace(FoldCase(name), Seen{name, directory});
        if (fresh || seen->second.name == name || (directory && seen->second.directory)) return;
        Add(Severity::Error, "name-case",
            "entries " + Quoted(seen->second.name) + " and " + Quoted(name) + " differ only in "
            "case, which Windows does not tell apart: one replaces the other when installing");
    }

    void Length(const std::wstring& name) {
        if (targetDir_.empty()) return;
        std::wstring path = targetDir_ + L"\\" + name;
        for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
        if (path.size() <= kMaxPathLength) return;
        Add(Severity::Warning, "name-long-path",
            "entry " + Quoted(name) + " is installed as a path of " + std::to_string(path.size()) +
                " characters, " + Quoted(path) + ": setup.exe copes, but programs that do not "
                "use long paths cannot open more than " + std::to_string(kMaxPathLength));
    }

    struct Seen {
        std::wstring name;
        bool directory;
    };
    std::string file_;
    std::wstring targetDir_;
    std::map<std::wstring, Seen> seen_;
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckArchiveNames(const std::vector<ArchiveName>& names,
                                       const std::string& archiveFile, const std::wstring& targetDir) {
    return NameCheck(archiveFile, targetDir).Run(names);
}

}  // namespace packer
