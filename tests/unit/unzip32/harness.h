// Test harness for the real libunzip32.so: recording callbacks, an options
// record with the installer's defaults, scratch folders, and archive makers
// (python3 zipfile, bsdtar, 7z) run at test time.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "unzip32.h"

namespace uztest {

namespace fs = std::filesystem;

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
    UnzipOptionsRecord options{};
    std::vector<std::string> include, exclude;
    int32_t run();  // resets the recorder first

private:
    std::string zip_, dir_;
};

// A fresh folder under the system's temporary folder, removed at the end.
class Scratch {
public:
    Scratch();
    ~Scratch();
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

int Shell(const std::string& command);                 // exit status
void RunPython(const std::string& script);             // fails the test on error
void WriteFile(const fs::path& path, const std::string& bytes);
std::string ReadFile(const fs::path& path);
// Relative path (with '/') -> content of every file below `root`; folders as "name/".
std::map<std::string, std::string> Tree(const fs::path& root);
// Extracts with python3 zipfile into `dir` (the reference).
void PythonExtract(const fs::path& zip, const fs::path& dir, const std::string& password = {});
bool HaveTool(const std::string& name);

}  // namespace uztest
