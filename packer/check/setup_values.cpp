#include "packer/check/setup_values.h"

#include <string>

#include "installer/setup_keys.h"
#include "packer/base/text.h"
#include "packer/check/message_fit.h"
#include "packer/check/setup_lint.h"
#include "packer/check/windows_names.h"

namespace packer {

namespace {

using installer::kKeyExeFile;
using installer::kKeyMessage;
using installer::kKeyShortcutDesktop;
using installer::kKeyShortcutPrograms;
using installer::kKeyTarget;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

class ValueCheck {
public:
    ValueCheck(std::string_view key, std::wstring_view value, int line)
        : key_(key), value_(value), line_(line) {}

    std::vector<Finding> Run() {
        if (key_ == kKeyTarget) Target();
        if (key_ == kKeyShortcutDesktop || key_ == kKeyShortcutPrograms) Shortcut();
        if (key_ == kKeyExeFile) ExeFile();
        if (key_ == kKeyMessage) Message();
        return std::move(findings_);
    }

private:
    void Add(Severity severity, const std::string& code, std::string message) {
        findings_.push_back({kSetupFileName, line_, severity, code, std::move(message)});
    }
    std::string What() const { return std::string(key_) + " " + Quoted(value_); }

    // A blank at the value's end is reported for the whole value already.
    bool ReportedAsBlankEnd(const NameProblem& problem, std::wstring_view name) const {
        return problem.trouble == NameTrouble::TrailingDotOrSpace && problem.character == L' ' &&
               name.data() + name.size() == value_.data() + value_.size();
    }

    void Target() {
        if (value_.empty() || IsFullPath(value_)) return;
        if (value_.size() >= 2 && value_.front() == L'"' && value_.back() == L'"') {
            Add(Severity::Error, "target-quotes",
                What() + " is in quotes: setup.exe keeps them, and no Windows folder name may "
                         "hold '\"': write the folder's name without them");
            return;
        }
        const std::vector<std::wstring_view> folders = PathComponents(value_);
        for (std::wstring_view folder : folders) {
            const auto problem = ProblemOfName(folder);
            if (!problem || ReportedAsBlankEnd(*problem, folder)) continue;
            const bool renamed = problem->trouble == NameTrouble::TrailingDotOrSpace;
            Add(renamed ? Severity::Warning : Severity::Error,
                std::string("target-") + CodeOf(problem->trouble),
                "TARGET: " + Explain(*problem, folder) +
                    (renamed ? "" : ": setup.exe cannot create the destination folder"));
        }
        if (folders.size() > 1) {
            const std::wstring_view last = folders.back();
            const std::wstring parent(value_.substr(0, static_cast<size_t>(last.data() - value_.data())));
            std::wstring parentPath = installer::TargetFolderOf(parent);
            while (!parentPath.empty() && IsSeparator(parentPath.back())) parentPath.pop_back();
            Add(Severity::Warning, "target-levels",
                What() + " is " + std::to_string(folders.size()) + " folder levels deep, but "
                "setup.exe creates only the last one: " + Quoted(parentPath) + " must already "
                "exist on the computer it installs on, or the installation stops with \"Can't "
                "create the destination folder..\"");
        }
    }

    void Shortcut() {
        const std::string what = What() + " names the shortcut file (with \".lnk\") directly in its folder";
        for (wchar_t c : value_) {
            if (IsSeparator(c)) {
                Add(Severity::Error, "shortcut-separator",
                    what + ", but it holds " + ShownCharacter(c) + ", so setup.exe would look for "
                    "another folder and the shortcut is not made");
                return;
            }
        }
        const auto problem = ProblemOfName(value_);
        if (!problem || ReportedAsBlankEnd(*problem, value_)) return;
        const std::string code = std::string("shortcut-") + CodeOf(problem->trouble);
        if (problem->trouble == NameTrouble::TrailingDotOrSpace) {
            Add(Severity::Warning, code,
                what + ": it ends in a dot, so the file is named " +
                    Quoted(std::wstring(value_) + L".lnk"));
            return;
        }
        Add(Severity::Error, code, std::string(key_) + ": " + Explain(*problem, value_) +
                                       ": the shortcut is not made");
    }

    void ExeFile() {
        bool climbs = false;
        for (std::wstring_view part : PathComponents(value_)) climbs = climbs || part == L"..";
        if (!IsFullPath(value_) && !climbs) return;
        Add(Severity::Error, "exefile-outside",
            What() + " leads out of the destination folder: setup.exe starts TARGET\\EXEFILE, "
                     "and the program must be a file of the archive, as a path below its top level");
    }

    void Message() {
        if (SingleAmpersand()) {
            Add(Severity::Warning, "message-ampersand",
                "MESSAGE holds a single \"&\": the window does not show it and underlines the "
                "character after it; write \"&&\" for one \"&\"");
        }
        std::wstring shown;
        const int lines = WrappedLines(ShownMessage(value_), &shown);
        if (lines > kMessageLinesShown) {
            Add(Severity::Warning, "message-cut",
                "MESSAGE takes about " + std::to_string(lines) + " lines in the window, which "
                "shows " + std::to_string(kMessageLinesShown) + ": the text ends after " +
                    Quoted(LastWords(shown)) + " for the person installing");
        }
    }

    bool SingleAmpersand() const {
        for (size_t i = 0; i < value_.size(); ++i) {
            if (value_[i] != L'&') continue;
            if (i + 1 < value_.size() && value_[i + 1] == L'&') {
                ++i;
            } else {
                return true;
            }
        }
        return false;
    }

    static std::wstring LastWords(std::wstring_view shown) {
        constexpr size_t kTail = 30;
        while (!shown.empty() && shown.back() == L' ') shown.remove_suffix(1);
        if (shown.size() <= kTail) return std::wstring(shown);
        return L"..." + std::wstring(shown.substr(shown.size() - kTail));
    }

    std::string_view key_;
    std::wstring_view value_;
    int line_;
    std::vector<Finding> findings_;
};

}  // namespace

std::vector<Finding> CheckSetupValue(std::string_view key, std::wstring_view value, int line) {
    return ValueCheck(key, value, line).Run();
}

}  // namespace packer
