// Runs another program for the tool and collects what it prints. The words
// are its arguments exactly (the first names the program); no shell reads
// them. A program named without a folder is looked for in the folders of
// PATH only, never in the current folder or the tool's own; one named with a
// folder is taken as given. Its input is the null device, so that a program
// that asks a question ends instead of waiting for an answer nobody sees;
// its output and error output are collected together, in the order they came.
#pragma once

#include <string>
#include <vector>

#include "packer/sign/command_words.h"

namespace packer {

struct ProgramOutcome {
    bool succeeded = false;  // started, and ended with exit code 0
    std::string ending;      // for a message: "ended with exit code 2", "cannot be started: ..."
    std::string output;      // as the program wrote it
};

// Waits for the program to end (run_program_posix.cpp, run_program_win32.cpp).
ProgramOutcome RunProgram(const std::vector<NativeString>& words);

}  // namespace packer
