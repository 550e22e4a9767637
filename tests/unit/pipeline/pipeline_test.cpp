// The library's pipeline under stress: archives of random entries (damaged,
// duplicated, deep, large) extracted with a window of one or two entries and
// write failures injected at random entries, against the same archive on the
// calling thread alone. Tree, result and every callback must be the same,
// and no output file may outlive its run. Built natively and for Windows.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <random>
#include <thread>

#include "extractor_run.h"
#include "zip_builder.h"

namespace uztest {
namespace {

// An entry whose data begins with one of these fails its first write, as a
// disk that fails or fills would: the same entries, on whatever thread.
const std::string kFailMark = "\x01WRITE-FAILS\x01", kFullMark = "\x01DISK-FULL\x01";

std::atomic<int> g_liveFiles{0};
std::atomic<bool> g_madeOffCallingThread{false};
std::thread::id g_callingThread;

class InjectedFile final : public uz::os::OutputFile {
public:
    explicit InjectedFile(std::unique_ptr<uz::os::OutputFile> real) : real_(std::move(real)) { ++g_liveFiles; }
    ~InjectedFile() override { --g_liveFiles; }
    uz::os::Status write(const uint8_t* data, size_t n) override {
        const std::string_view bytes(reinterpret_cast<const char*>(data), n);
        if (bytes.find(kFailMark) != bytes.npos) return {uz::os::Status::Failed, 5};
        if (bytes.find(kFullMark) != bytes.npos) return {uz::os::Status::DiskFull, 28};
        return real_->write(data, n);
    }
    uz::os::Status commit(const uz::os::Path& target, int64_t mtime, int mode) override {
        return real_->commit(target, mtime, mode);
    }

private:
    std::unique_ptr<uz::os::OutputFile> real_;
};

uz::os::Status CreateInjected(const uz::os::Path& folder, std::unique_ptr<uz::os::OutputFile>& file) {
    if (std::this_thread::get_id() != g_callingThread) g_madeOffCallingThread = true;
    std::unique_ptr<uz::os::OutputFile> real;
    const uz::os::Status made = uz::os::CreateOutputFile(folder, real);
    if (made.ok()) file = std::make_unique<InjectedFile>(std::move(real));
    return made;
}

// Forty entries in a few folders: empty to large (written on a second
// thread when on the calling thread), stored and deflated, some with a wrong
// CRC, some repeating an earlier name, some whose writes fail.
std::string RandomArchive(std::mt19937& random) {
    const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    const char* const folders[] = {"", "a/", "a/b/", "c/d/e/", "f/"};
    std::vector<std::string> names;
    ZipBuilder zip;
    for (int i = 0; i < 40; ++i) {
        ZipItem item;
        item.name = names.empty() || !chance(10) ? folders[random() % 5] + std::to_string(i) + ".dat"
                                                 : names[random() % names.size()];
        names.push_back(item.name);
        const int size = static_cast<int>(random() % 100);
        item.data = (chance(8) ? kFailMark : chance(2) ? kFullMark : "") +
                    MixedData(size < 10   ? 0
                              : size < 50 ? 1 + random() % 5000
                              : size < 95 ? 20000 + random() % 200000
                                          : (1u << 20) + random() % 50000) +
                    std::to_string(i);  // no two alike
        item.method = chance(30) ? 0 : 8;
        if (chance(10)) item.crc = Crc(item.data) ^ 1;
        zip.add(item);
    }
    return zip.build();
}

Observed Extract(const fs::path& zip, const fs::path& dir, const uz::RunSettings& settings, bool convert) {
    Rec().sequence.clear();
    Rec().serviced.clear();
    g_callingThread = std::this_thread::get_id();
    UnzipOptionsRecord options = Call::InstallerOptions();
    options.ConvertCRtoCRLF = convert;
    const int32_t result = RunExtractor(zip, dir, settings, options);
    EXPECT_EQ(g_liveFiles, 0) << "an output file outlived the run";
    return {result, DetailedTree(dir), Rec().sequence};
}

TEST(Pipeline, TinyWindowsAndFailingWritesChangeNothing) {
    bool workersMadeFiles = false;
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        std::mt19937 random(seed);
        Scratch s;
        WriteFile(s / "a.zip", RandomArchive(random));
        Rec().stopAtService = random() % 4 == 0 ? static_cast<int>(random() % 40) : -1;
        const bool convert = random() % 2;
        uz::RunSettings alone;
        alone.createOutput = CreateInjected;
        const Observed expected = Extract(s / "a.zip", s / "alone", alone, convert);
        for (const size_t window : {1, 2}) {
            uz::RunSettings piped = alone;
            piped.workers = 3;
            piped.window = window;
            piped.leaveToWorkers = seed % 2;
            g_madeOffCallingThread = false;
            const fs::path dir = s / ("window" + std::to_string(window));
            ExpectSame(expected, Extract(s / "a.zip", dir, piped, convert),
                       "seed " + std::to_string(seed) + ", window " + std::to_string(window));
            workersMadeFiles |= g_madeOffCallingThread;
        }
    }
    Rec().stopAtService = -1;
    EXPECT_TRUE(workersMadeFiles) << "no worker ever made a file";
}

}  // namespace
}  // namespace uztest
