#include "harness.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

namespace uztest {
namespace {

int32_t UZ_CALL Print(const char* text, int32_t length) {
    std::string piece(text, static_cast<size_t>(length));
    Rec().prints.push_back(piece);
    Rec().printed += piece;
    return 0;
}

int32_t UZ_CALL Replace(char* name) {
    Rec().replaceAsked.emplace_back(name);
    auto& answers = Rec().replaceAnswers;
    if (answers.empty()) return UZ_REPLACE_NO;
    const int32_t answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

int32_t UZ_CALL Password(char* buffer, int32_t size, const char*, const char* entry) {
    Rec().passwordEntries.emplace_back(entry);
    Rec().passwordSizes.push_back(size);
    auto& answers = Rec().passwords;
    if (answers.empty()) return 1;
    const std::string answer = answers.front();
    answers.erase(answers.begin());
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::memcpy(buffer, answer.data(), std::min<size_t>(answer.size(), static_cast<size_t>(size) - 1));
    return 0;
}

void UZ_CALL Listing(int32_t size, uint32_t csize, uint32_t ratio, uint32_t month, uint32_t day, uint32_t year,
                     uint32_t hour, uint32_t minute, int32_t c, const char* name, const char* method, uint32_t crc,
                     int32_t encrypted) {
    Rec().listed.push_back({size, csize, ratio, month, day, year, hour, minute, c, name, method, crc, encrypted});
}

int32_t UZ_CALL Service(const char* name, int32_t length) {
    auto& rec = Rec();
    rec.serviced.emplace_back(std::string(name, static_cast<size_t>(length)), length);
    return static_cast<int>(rec.serviced.size()) - 1 == rec.stopAtService ? 1 : 0;
}

}  // namespace

Recorder& Rec() {
    static Recorder recorder;
    return recorder;
}

UnzipCallbackRecord RecordingCallbacks() {
    UnzipCallbackRecord record{};
    record.print = Print;
    record.replace = Replace;
    record.password = Password;
    record.listing = Listing;
    record.service = Service;
    return record;
}

Call::Call(const fs::path& zip, const fs::path& dir) : zip_(zip.string()), dir_(dir.string()) {
    options.MessageLevel = 2;
    options.HonorDirectories = 1;
    options.OverWriteFiles = 1;
    options.CaseSensitive = 1;
}

int32_t Call::run() {
    // Keep the answers queued by the test; clear what was recorded.
    Recorder& rec = Rec();
    rec.printed.clear();
    rec.prints.clear();
    rec.replaceAsked.clear();
    rec.passwordEntries.clear();
    rec.passwordSizes.clear();
    rec.listed.clear();
    rec.serviced.clear();
    options.ZipFileName = zip_.c_str();
    options.ExtractDir = dir_.c_str();
    UnzipNameList in{}, ex{};
    for (size_t i = 0; i < include.size(); ++i) in[i] = include[i].data();
    for (size_t i = 0; i < exclude.size(); ++i) ex[i] = exclude[i].data();
    UnzipCallbackRecord callbacks = RecordingCallbacks();
    return Wiz_SingleEntryUnzip(static_cast<int32_t>(include.size()), in, static_cast<int32_t>(exclude.size()), ex,
                                &options, &callbacks);
}

Scratch::Scratch() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("unzip32-test-" + std::to_string(::getpid()) + "-" + std::to_string(random()));
    fs::create_directories(path_);
}

Scratch::~Scratch() {
    std::error_code ignored;
    // Folders left without write permission by a test are opened up first.
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
        if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void RunPython(const std::string& script) {
    Scratch tmp;
    WriteFile(tmp / "script.py", script);
    ASSERT_EQ(Shell("python3 '" + (tmp / "script.py").string() + "'"), 0) << script;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) return tree;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const std::string relative = item.path().lexically_relative(root).generic_string();
        if (item.is_symlink()) tree[relative] = "-> " + fs::read_symlink(item.path()).string();
        else if (item.is_directory()) tree[relative + "/"] = "";
        else tree[relative] = ReadFile(item.path());
    }
    return tree;
}

void PythonExtract(const fs::path& zip, const fs::path& dir, const std::string& password) {
    RunPython("import zipfile\nz = zipfile.ZipFile(r'''" + zip.string() + "''')\n" +
              (password.empty() ? "" : "z.setpassword(b'" + password + "')\n") + "z.extractall(r'''" +
              dir.string() + "''')\n");
}

bool HaveTool(const std::string& name) { return Shell("command -v " + name + " >/dev/null 2>&1") == 0; }

}  // namespace uztest
