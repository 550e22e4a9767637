// The unzip library through its binary interface, for the native tests
// (libunzip32.so, linked) and the Windows ones (unzip32.dll, loaded from the
// test program's own folder): recording callbacks, a call with the options
// the installer sets, and the tree an extraction leaves.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "scratch.h"
#include "unzip32/unzip32.h"

namespace uztest {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::Scratch;
using testsupport::WriteFile;

// The library's entry points: linked natively; under Windows looked up by
// their undecorated names, and null when the library or a name is missing.
struct Entries {
    int32_t(UZ_CALL* version)(UnzipVersionRecord*) = nullptr;
    int32_t(UZ_CALL* unzip)(int32_t, char**, int32_t, char**, UnzipOptionsRecord*,
                            UnzipCallbackRecord*) = nullptr;
};
const Entries& Library();

// A path as the library takes it: text in the system's ANSI code page.
std::string LibraryText(const fs::path& path);

struct Listed {
    int32_t size;
    uint32_t compressedSize, ratio, month, day, year, hour, minute;
    int32_t c;
    std::string name, method;
    uint32_t crc;
    int32_t encrypted;
};

// What the callbacks saw, and how they answer.
struct Recorder {
    std::string printed;                  // all print calls joined
    std::vector<std::string> prints;      // each print call
    std::vector<std::string> replaceAsked;
    std::vector<int32_t> replaceAnswers;  // consumed in order; then 100
    std::vector<std::string> passwords;   // answers in order; then "none"
    std::vector<std::string> passwordEntries;
    std::vector<int32_t> passwordSizes;
    std::vector<Listed> listed;
    std::vector<std::pair<std::string, int32_t>> serviced;
    int stopAtService = -1;               // answer non-zero at this call (0-based)
};
Recorder& Rec();
UnzipCallbackRecord RecordingCallbacks();

// A call of Wiz_SingleEntryUnzip with options as the installer sets them.
struct Call {
    Call(const fs::path& zip, const fs::path& dir);
    static UnzipOptionsRecord InstallerOptions();
    UnzipOptionsRecord options = InstallerOptions();
    std::vector<std::string> include, exclude;
    int32_t run();  // clears what the recorder saw, keeps its answers

private:
    std::string zip_, dir_;
};

// Relative path (with '/', in UTF-8) -> content of every file below `root`;
// folders as "name/", links as "-> target".
std::map<std::string, std::string> Tree(const fs::path& root);
// The names (UTF-8) in `folder` itself, sorted: what a test of large files compares.
std::vector<std::string> Names(const fs::path& folder);

}  // namespace uztest
