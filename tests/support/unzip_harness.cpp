#include "unzip_harness.h"

#include <algorithm>
#include <cstring>

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

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
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

Call::Call(const fs::path& zip, const fs::path& dir) : zip_(LibraryText(zip)), dir_(LibraryText(dir)) {}

UnzipOptionsRecord Call::InstallerOptions() {
    UnzipOptionsRecord options{};
    options.MessageLevel = 2;
    options.HonorDirectories = 1;
    options.OverWriteFiles = 1;
    options.CaseSensitive = 1;
    return options;
}

int32_t Call::run() {
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
    return Library().unzip(static_cast<int32_t>(include.size()), in, static_cast<int32_t>(exclude.size()), ex,
                           &options, &callbacks);
}

std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) return tree;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        const std::string relative = Utf8(item.path().lexically_relative(root));
        if (item.is_symlink()) tree[relative] = "-> " + fs::read_symlink(item.path()).string();
        else if (item.is_directory()) tree[relative + "/"] = "";
        else tree[relative] = ReadFile(item.path());
    }
    return tree;
}

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) names.push_back(Utf8(item.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace uztest
