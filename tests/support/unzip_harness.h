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
// The same library built to run on the calling thread alone (unzip32_single,
// unzip32/CMakeLists.txt), beside it: what each call is held against.
const Entries& OneThreadLibrary();

// A path as the library takes it: text in the system's ANSI code page.
std::string LibraryText(const fs::path& path);
// A path the file system functions take whatever its length (Windows: \\?\).
fs::path LongForm(const fs::path& path);

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
    std::vector<std::string> sequence;    // every call, in order, with what it was given
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
//
// Each run is made twice: first by OneThreadLibrary(), then (the destination
// put back as it was before) by the library under test, whose test builds
// read ahead on worker threads. Both must leave the same tree and give the
// same result and the same callbacks, byte for byte; what the test then sees
// is the second run.
struct Call {
    Call(const fs::path& zip, const fs::path& dir);
    static UnzipOptionsRecord InstallerOptions();
    UnzipOptionsRecord options = InstallerOptions();
    std::vector<std::string> include, exclude;
    // Off where the destination holds what a copy cannot (a file another
    // process has locked), or is the current folder.
    bool differential = true;
    int32_t run();  // clears what the recorder saw, keeps its answers

private:
    int32_t once(bool oneThread);
    std::string zip_, dir_;
    fs::path folder_;
};

// What a run leaves and says: the result, the tree below its destination
// (files with their permissions and times), every callback.
struct Observed {
    int32_t result;
    std::map<std::string, std::string> tree;
    std::vector<std::string> sequence;
};
// Fails the test, naming `what`, where the two differ.
void ExpectSame(const Observed& expected, const Observed& got, const std::string& what);
std::map<std::string, std::string> DetailedTree(const fs::path& root);

// Relative path (with '/', in UTF-8) -> content of every file below `root`;
// folders as "name/", links as "-> target".
std::map<std::string, std::string> Tree(const fs::path& root);
// The names (UTF-8) in `folder` itself, sorted: what a test of large files compares.
std::vector<std::string> Names(const fs::path& folder);

}  // namespace uztest
