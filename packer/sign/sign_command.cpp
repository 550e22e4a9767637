#include "packer/sign/sign_command.h"

#include <system_error>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/files/file_ops.h"
#include "packer/files/system_file.h"
#include "packer/sign/run_program.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

NativeString Native(const char* ascii) { return NativeString(ascii, ascii + std::char_traits<char>::length(ascii)); }

const NativeString kFile = Native("{file}");
const NativeString kIn = Native("{in}");
const NativeString kOut = Native("{out}");

bool Mentions(const std::vector<NativeString>& words, const NativeString& placeholder) {
    for (const NativeString& word : words) {
        if (word.find(placeholder) != NativeString::npos) return true;
    }
    return false;
}

// A "{name}" in a word that is none of the three: a misspelt placeholder
// would otherwise reach the signing tool as text.
std::optional<NativeString> UnknownPlaceholder(const std::vector<NativeString>& words) {
    for (const NativeString& word : words) {
        for (size_t open = word.find('{'); open != NativeString::npos; open = word.find('{', open + 1)) {
            size_t close = open + 1;
            while (close < word.size() && ((word[close] >= 'a' && word[close] <= 'z') ||
                                           (word[close] >= 'A' && word[close] <= 'Z') || word[close] == '_'))
                ++close;
            if (close == open + 1 || close == word.size() || word[close] != '}') continue;
            const NativeString name = word.substr(open, close - open + 1);
            if (name != kFile && name != kIn && name != kOut) return name;
        }
    }
    return std::nullopt;
}

void ReplaceAll(NativeString& word, const NativeString& placeholder, const NativeString& value) {
    for (size_t at = word.find(placeholder); at != NativeString::npos; at = word.find(placeholder, at + value.size()))
        word.replace(at, placeholder.size(), value);
}

// Beside the program and with its extension, for tools that tell the kind of
// file by its name.
fs::path SignedCopyOf(const fs::path& file) {
    return file.parent_path() / (file.stem().native() + Native(".signed") + file.extension().native());
}

}  // namespace

std::optional<SignCommand> SignCommand::Parse(const NativeString& text, std::string& why) {
    SignCommand command;
    if (!SplitWords(text, command.words_, why)) return std::nullopt;
    const bool file = Mentions(command.words_, kFile);
    const bool in = Mentions(command.words_, kIn);
    const bool out = Mentions(command.words_, kOut);
    if (command.words_.empty()) {
        why = "the command is empty";
    } else if (const std::optional<NativeString> unknown = UnknownPlaceholder(command.words_)) {
        why = "unknown placeholder " + PathText(fs::path(*unknown)) + " (there are {file}, {in} and {out})";
    } else if (file && (in || out)) {
        why = "give {file}, or {in} and {out}, not both";
    } else if (in != out) {
        why = in ? "{in} needs {out}, the file the command writes" : "{out} needs {in}, the file the command reads";
    } else if (!file && !in) {
        why = "the command names no file: give {file}, or {in} and {out}";
    } else {
        command.writesNewFile_ = in;
        return command;
    }
    return std::nullopt;
}

std::vector<NativeString> SignCommand::WordsFor(const fs::path& file, const fs::path& signedCopy) const {
    std::vector<NativeString> words = words_;
    for (NativeString& word : words) {
        ReplaceAll(word, kFile, file.native());
        ReplaceAll(word, kIn, file.native());
        ReplaceAll(word, kOut, signedCopy.native());
    }
    return words;
}

void SignCommand::Sign(const fs::path& file, const std::string& shown, const ResultCheck& check) const {
    std::error_code error;
    const fs::path program = fs::absolute(file, error);
    if (error) throw PackError("cannot sign " + shown + ": " + error.message());
    // What a failed command left of its new file goes; a file it signed in
    // place is the caller's to discard.
    TemporaryPath copy(writesNewFile_ ? SignedCopyOf(program) : fs::path());
    if (writesNewFile_) fs::remove(copy.path(), error);
    const ProgramOutcome outcome = RunProgram(WordsFor(program, copy.path()));
    std::string problem;
    if (!outcome.succeeded) {
        problem = "the sign command " + outcome.ending;
    } else if (writesNewFile_ && !fs::is_regular_file(copy.path(), error)) {
        problem = "the sign command wrote no " + QuotedPath(copy.path());
    } else if (writesNewFile_) {
        try {
            RenameOver(copy.path(), program);
        } catch (const PackError& e) {
            problem = e.what();
        }
    }
    // A command that ends well may still have cut or replaced the file.
    if (problem.empty()) {
        if (const std::string wrong = check(program); !wrong.empty())
            problem = "the sign command " + outcome.ending + ", but the file it left " + wrong;
    }
    if (problem.empty()) return;
    std::string output = outcome.output;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    throw PackError("signing " + shown + " failed: " + problem + (output.empty() ? "" : "; its output:\n" + output));
}

fs::path SignCommand::SignedCopy(const fs::path& source, const fs::path& folder, const char* name,
                                 ProgramKind kind) const {
    const fs::path copy = CopyInto(source, folder, name);
    Sign(copy, "a copy of " + QuotedPath(source),
         [kind](const fs::path& file) { return ProgramFileProblem(file, kind); });
    return copy;
}

}  // namespace packer
