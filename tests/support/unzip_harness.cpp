#include "unzip_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace uztest {
namespace {

int32_t UZ_CALL Print(const char* text, int32_t length) {
    std::string piece(text, static_cast<size_t>(length));
    Rec().sequence.push_back("print " + piece);
    Rec().prints.push_back(piece);
    Rec().printed += piece;
    return 0;
}

int32_t UZ_CALL Replace(char* name) {
    Rec().replaceAsked.emplace_back(name);
    Rec().sequence.push_back("replace " + std::string(name));
    auto& answers = Rec().replaceAnswers;
    if (answers.empty()) return UZ_REPLACE_NO;
    const int32_t answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

int32_t UZ_CALL Password(char* buffer, int32_t size, const char*, const char* entry) {
    Rec().passwordEntries.emplace_back(entry);
    Rec().sequence.push_back("password " + std::string(entry));
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
    Rec().sequence.push_back("listing " + std::string(name) + " " + std::to_string(size));
}

int32_t UZ_CALL Service(const char* name, int32_t length) {
    auto& rec = Rec();
    rec.serviced.emplace_back(std::string(name, static_cast<size_t>(length)), length);
    rec.sequence.push_back("service " + rec.serviced.back().first);
    return static_cast<int>(rec.serviced.size()) - 1 == rec.stopAtService ? 1 : 0;
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

// `item` below `root` (as a walk of it gives it), relative to it.
fs::path Below(const fs::path& item, const fs::path& root) { return item.native().substr(root.native().size() + 1); }

// Relative path -> content of everything below `root` (see Tree), and with
// `detailed` the permissions of each file and folder and the time of each file.
std::map<std::string, std::string> Walk(const fs::path& given, bool detailed) {
    const fs::path root = LongForm(given);
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) return tree;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const std::string relative = Utf8(Below(item.path(), root));
        if (item.is_symlink()) {
            tree[relative] = "-> " + fs::read_symlink(item.path()).string();
            continue;
        }
        std::string& value = item.is_directory() ? tree[relative + "/"] : tree[relative];
        if (!item.is_directory()) value = ReadFile(item.path());
        if (detailed) {
            value += " | " + std::to_string(static_cast<unsigned>(item.status().permissions()));
            if (!item.is_directory()) value += " " + std::to_string(item.last_write_time().time_since_epoch().count());
        }
    }
    return tree;
}

// Copies `from` to `to` (not there yet): links as links, the permissions of
// files and folders and the times of files as they are.
void CopyTree(const fs::path& from, const fs::path& to) {
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    for (const auto& item : fs::recursive_directory_iterator(from)) {
        if (item.is_symlink()) continue;
        const fs::path copy = to / Below(item.path(), from);
        fs::permissions(copy, item.status().permissions());
        if (!item.is_directory()) fs::last_write_time(copy, item.last_write_time());
    }
}

// A folder as it was, to be put back after a run.
class Snapshot {
public:
    explicit Snapshot(const fs::path& folder) : folder_(LongForm(folder)), existed_(fs::exists(folder_)) {
        if (existed_) CopyTree(folder_, LongForm(copy_ / "tree"));
    }
    void restore() const {
        fs::remove_all(folder_);
        if (existed_) CopyTree(LongForm(copy_ / "tree"), folder_);
    }

private:
    fs::path folder_;
    Scratch copy_{"snapshot"};
    bool existed_;
};

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

Call::Call(const fs::path& zip, const fs::path& dir) : zip_(LibraryText(zip)), dir_(LibraryText(dir)), folder_(dir) {}

UnzipOptionsRecord Call::InstallerOptions() {
    UnzipOptionsRecord options{};
    options.MessageLevel = 2;
    options.HonorDirectories = 1;
    options.OverWriteFiles = 1;
    options.CaseSensitive = 1;
    return options;
}

int32_t Call::run() {
    if (!differential || dir_.empty()) return once(false);
    Recorder& rec = Rec();
    const std::vector<int32_t> replaceAnswers = rec.replaceAnswers;
    const std::vector<std::string> passwords = rec.passwords;
    Observed alone;
    {
        const Snapshot before(folder_);
        alone = {once(true), DetailedTree(folder_), rec.sequence};
        before.restore();
    }
    rec.replaceAnswers = replaceAnswers;
    rec.passwords = passwords;
    const Observed tested{once(false), DetailedTree(folder_), rec.sequence};
    ExpectSame(alone, tested, "the library on one thread, then as tested");
    return tested.result;
}

int32_t Call::once(bool oneThread) {
    Recorder& rec = Rec();
    rec.sequence.clear();
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
    return (oneThread ? OneThreadLibrary() : Library())
        .unzip(static_cast<int32_t>(include.size()), in, static_cast<int32_t>(exclude.size()), ex, &options,
               &callbacks);
}

std::map<std::string, std::string> Tree(const fs::path& root) { return Walk(root, false); }
std::map<std::string, std::string> DetailedTree(const fs::path& root) { return Walk(root, true); }

void ExpectSame(const Observed& expected, const Observed& got, const std::string& what) {
    EXPECT_EQ(got.result, expected.result) << what;
    EXPECT_EQ(got.sequence, expected.sequence) << what;
    // Names only: the contents may be large.
    std::string differing;
    for (const auto& [name, value] : expected.tree)
        if (auto it = got.tree.find(name); it == got.tree.end() || it->second != value) differing += " " + name;
    for (const auto& [name, value] : got.tree)
        if (!expected.tree.count(name)) differing += " +" + name;
    EXPECT_TRUE(differing.empty()) << what << ": the trees differ at" << differing;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) names.push_back(Utf8(item.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace uztest
