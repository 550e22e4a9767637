// The packager's signing command (--sign-command): run on every Windows
// program setup-pack writes or copies, through RunProgram (run_program.h):
// split into words once (command_words.h), and for each file the
// placeholders replaced in the words, so that a path is always part of one
// word, whatever characters it holds.
//   {file}        the program, signed where it lies;
//   {in}, {out}   the program, and a new file beside it (same name with
//                 ".signed" before the extension) that the tool writes and
//                 that then takes the program's place.
// Paths are full paths; the command runs in the tool's current folder.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "packer/check/program_kind.h"
#include "packer/sign/command_words.h"

namespace packer {

class SignCommand {
public:
    // The command, or nothing and `why` when the text is none: no words, a
    // quote not closed, neither {file} nor {in} with {out}, both, or an
    // unknown {name}.
    static std::optional<SignCommand> Parse(const NativeString& text, std::string& why);

    // The words run for `file`; `signedCopy` is where {out} writes.
    std::vector<NativeString> WordsFor(const std::filesystem::path& file,
                                       const std::filesystem::path& signedCopy) const;
    bool WritesNewFile() const { return writesNewFile_; }

    // What is wrong with a signed file, as the end of a sentence about it
    // ("is not a Windows program: ..."); empty when it is as it should be.
    using ResultCheck = std::function<std::string(const std::filesystem::path& file)>;

    // Signs `file`, named in messages as `shown`. When the command fails
    // (does not start, ends with an exit code other than 0, writes no {out})
    // or leaves a file `check` finds wrong, it is a PackError with the
    // command's output, and `file` is as the command left it: the caller
    // discards it.
    void Sign(const std::filesystem::path& file, const std::string& shown, const ResultCheck& check) const;
    // `source` copied to `folder`/`name` and signed there, still a program
    // of `kind` afterwards; the copy's path.
    std::filesystem::path SignedCopy(const std::filesystem::path& source, const std::filesystem::path& folder,
                                     const char* name, ProgramKind kind) const;

private:
    std::vector<NativeString> words_;
    bool writesNewFile_ = false;
};

}  // namespace packer
