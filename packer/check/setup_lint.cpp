#include "packer/check/setup_lint.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>

#include "installer/setup_keys.h"
#include "packer/base/text.h"
#include "packer/check/setup_values.h"

namespace packer {

namespace {

using installer::kKeyExeFile;
using installer::kKeyShortcutDesktop;
using installer::kKeyShortcutPrograms;
using installer::kKeyTarget;
using installer::kKeyZipFile;

bool IsSetupKey(std::string_view text) { return installer::FindSetupKey(text).has_value(); }

// Byte-order marks: setup.exe reads the file byte by byte in the ANSI
// code page and takes a mark for the start of the first key.
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

// Values that name files and folders, where a blank at either end is kept.
constexpr std::string_view kNameKeys[] = {kKeyTarget, kKeyZipFile, kKeyExeFile,
                                          kKeyShortcutDesktop, kKeyShortcutPrograms};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

class Linter {
public:
    Linter(std::string_view bytes, const std::vector<SetupLine>& lines, const CodePage& codePage)
        : bytes_(bytes), lines_(lines), codePage_(codePage) {}

    std::vector<Finding> Run() {
        const bool marked = CheckMark();
        if (utf16_) return std::move(findings_);  // nothing else in it reads as text
        for (size_t i = 0; i < lines_.size(); ++i) {
            const SetupLine& line = lines_[i];
            if (line.loneLineFeeds > 0) LoneLineFeeds(line);
            if (!line.HasEquals()) {
                WrittenCodePage(line);
                continue;
            }
            std::string_view key = line.Key();
            if (i == 0 && marked) continue;  // reported with the mark
            if (IsSetupKey(key)) {
                KnownKey(line, key);
            } else {
                OtherKey(line, key);
            }
        }
        return std::move(findings_);
    }

private:
    void Add(int line, Severity severity, const char* code, std::string message) {
        findings_.push_back({kSetupFileName, line, severity, code, std::move(message)});
    }

    bool CheckMark() {
        if (bytes_.starts_with(kUtf16LittleMark) || bytes_.starts_with(kUtf16BigMark)) {
            Add(1, Severity::Error, "utf16",
                "the file is saved as UTF-16; setup.exe reads single-byte ANSI text and "
                "recognises no key in it: save it as ANSI text");
            utf16_ = true;
            return true;
        }
        if (!bytes_.starts_with(kUtf8Mark)) return false;
        const std::string_view key =
            lines_.empty() || !lines_[0].HasEquals() ? std::string_view() : lines_[0].Key();
        const std::string_view afterMark = key.substr(std::min(key.size(), kUtf8Mark.size()));
        if (IsSetupKey(afterMark)) {
            Add(1, Severity::Error, "bom-glued-to-key",
                "a UTF-8 byte-order mark is glued to the first key: setup.exe reads the key "
                "as \"\xC3\xAF\xC2\xBB\xC2\xBF" + std::string(afterMark) + "\" and ignores the "
                "line: save the file without the mark");
        } else {
            Add(1, Severity::Warning, "bom",
                "the file starts with a UTF-8 byte-order mark, which setup.exe reads as text "
                "of the first line: save the file without the mark");
        }
        return true;
    }

    void LoneLineFeeds(const SetupLine& line) {
        if (line.lastLine > line.firstLine) {
            Add(line.firstLine, Severity::Error, "lone-line-feeds",
                "line feeds without a carriage return join lines " +
                    std::to_string(line.firstLine) + "-" + std::to_string(line.lastLine) +
                    " into one line for setup.exe, which ends lines only at a carriage return; "
                    "its key is the text before the first \"=\": save the file with CR LF line ends");
        } else {
            Add(line.firstLine, Severity::Error, "lone-line-feed",
                "the line ends in a line feed alone, which setup.exe keeps as part of the "
                "value: save the file with CR LF line ends");
        }
    }

    void KnownKey(const SetupLine& line, std::string_view key) {
        const std::string_view value = line.Value();
        // A line joined by lone line feeds is reported as such.
        if (line.HasSecondEquals() && line.loneLineFeeds == 0) {
            const std::string_view text = std::string_view(line.bytes).substr(key.size() + 1);
            Add(line.firstLine, Severity::Warning, "value-cut",
                "text after a second \"=\" is dropped: setup.exe's value is " + Shown(value) +
                    ", not " + Shown(text));
        }
        for (std::string_view nameKey : kNameKeys) {
            if (key == nameKey && Trimmed(value).size() != value.size()) {
                Add(line.firstLine, Severity::Warning, "blank-ends",
                    std::string(key) + " value " + Shown(value) +
                        " has blanks at its start or end, which setup.exe keeps");
            }
        }
        if ((key == kKeyShortcutDesktop || key == kKeyShortcutPrograms) && Trimmed(value).empty()) {
            Add(line.firstLine, Severity::Warning, "shortcut-unnamed",
                std::string(key) + " has no name: the shortcut is still made, named \".lnk\" "
                                   "unless another shortcut line names it");
        }
        Encoding(line, key, value);
        // A line joined by lone line feeds holds no value worth judging.
        if (line.loneLineFeeds == 0) {
            for (Finding& finding : CheckSetupValue(key, codePage_.Decode(value), line.firstLine)) {
                findings_.push_back(std::move(finding));
            }
        }
        Repeats(line, key, value);
    }

    // Text saved as UTF-8 reads as two or three characters per letter in a
    // single-byte code page: "Caf\xC3\xA9" shows as "Caf\xC3\x83\xC2\xA9".
    void Encoding(const SetupLine& line, std::string_view key, std::string_view value) {
        const auto high = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
        if (std::none_of(value.begin(), value.end(), high)) return;
        const std::wstring asUtf8 = FromUtf8(value);
        if (asUtf8.find(L'\uFFFD') == std::wstring::npos) {
            Add(line.firstLine, Severity::Warning, "utf8-text",
                std::string(key) + " holds UTF-8 text: setup.exe reads Setup.ini in " +
                    codePage_.Name() + " and shows " + Shown(value) + ", not " + Quoted(asUtf8) +
                    ": save the file in that code page");
            return;
        }
        for (char c : value) {
            if (codePage_.Defined(static_cast<unsigned char>(c))) continue;
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(c));
            Add(line.firstLine, Severity::Warning, "undefined-byte",
                std::string(key) + " holds the byte " + byte + ", which " + codePage_.Name() +
                    " does not define: setup.exe shows an unknown character in its place");
            return;
        }
    }

    // A later line for the same key wins; the two shortcut keys share one name.
    void Repeats(const SetupLine& line, std::string_view key, std::string_view value) {
        auto earlier = seen_.find(std::string(key));
        if (earlier != seen_.end()) {
            Add(line.firstLine, Severity::Warning, "repeated-key",
                std::string(key) + " repeats line " + std::to_string(earlier->second->firstLine) +
                    ": setup.exe uses this later value");
        }
        seen_[std::string(key)] = &line;
        const std::string_view other = key == kKeyShortcutDesktop    ? kKeyShortcutPrograms
                                       : key == kKeyShortcutPrograms ? kKeyShortcutDesktop
                                                                     : std::string_view();
        auto sibling = other.empty() ? seen_.end() : seen_.find(std::string(other));
        if (sibling != seen_.end() && sibling->second->Value() != value) {
            Add(line.firstLine, Severity::Warning, "shortcut-names-differ",
                "both shortcuts share one name: setup.exe names the " + std::string(other) +
                    " shortcut " + Shown(value) + " too, not " + Shown(sibling->second->Value()) +
                    " from line " + std::to_string(sibling->second->firstLine));
        }
    }

    void OtherKey(const SetupLine& line, std::string_view key) {
        if (key.empty()) {
            Add(line.firstLine, Severity::Warning, "empty-key",
                "the line starts with \"=\": it has no key and setup.exe ignores it");
            return;
        }
        const std::string_view trimmed = Trimmed(key);
        const std::string upper = Upper(trimmed);
        if (!IsSetupKey(upper)) {
            Add(line.firstLine, Severity::Warning, "unknown-key",
                "unknown key " + Shown(key) + ": setup.exe ignores the line");
            return;
        }
        std::string what;
        if (trimmed != upper) what = "is not in upper case";
        if (trimmed.size() != key.size()) {
            what += std::string(what.empty() ? "" : " and ") + "has blanks around it";
        }
        Add(line.firstLine, Severity::Error, "key-spelling",
            "key " + Shown(key) + " " + what + ": setup.exe compares keys exactly and "
                "ignores the line; write " + upper);
    }

    // The code page build wrote the file in (code_page.h), when it is not
    // the one the file is checked in: text outside ASCII reads differently.
    void WrittenCodePage(const SetupLine& line) {
        const std::optional<long> written = CodePageOfLine(line.bytes);
        if (!written || *written == codePage_.Number()) return;
        std::string why;
        const std::optional<CodePage> page = CodePage::Find(*written, why);
        Add(line.firstLine, Severity::Warning, "code-page-differs",
            "the file was written in " + (page ? page->Name() : "code page " + std::to_string(*written)) +
                " but is checked in " + codePage_.Name() + ": its letters outside ASCII show differently on "
                "computers of the other code page (check with --codepage " + std::to_string(*written) + ")");
    }

    // Text as setup.exe reads it, quoted for a message.
    std::string Shown(std::string_view bytes) const { return Quoted(codePage_.Decode(bytes)); }

    std::string_view bytes_;
    const std::vector<SetupLine>& lines_;
    const CodePage& codePage_;
    std::vector<Finding> findings_;
    std::map<std::string, const SetupLine*> seen_;
    bool utf16_ = false;
};

}  // namespace

std::vector<Finding> LintSetupFile(std::string_view bytes, const std::vector<SetupLine>& lines,
                                   const CodePage& codePage) {
    return Linter(bytes, lines, codePage).Run();
}

}  // namespace packer
