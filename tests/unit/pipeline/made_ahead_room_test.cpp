// On a real small file system: a folder or file the calling thread makes
// while workers hold files made ahead for later entries is made whenever a
// run on one thread would make it. The later entries replace old files, so
// the files made ahead are inodes one thread never holds at once. Linux
// only (tmpfs, which needs root).
#include <sys/mount.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "extractor_run.h"
#include "zip_builder.h"

namespace uztest {
namespace {

std::atomic<int> g_madeAhead{0};
std::thread::id g_callingThread;
std::string g_waitAt;  // the calling thread's line before the step under test

uz::os::Status CreateCounted(const uz::os::Path& folder, std::unique_ptr<uz::os::OutputFile>& file) {
    const uz::os::Status made = uz::os::CreateOutputFile(folder, file);
    if (made.ok() && std::this_thread::get_id() != g_callingThread) ++g_madeAhead;
    return made;
}

// Holds the calling thread there until both later entries' files are made.
int32_t UZ_CALL PrintAfterWorkers(const char* text, int32_t length) {
    if (std::string(text, static_cast<size_t>(length)).find(g_waitAt) != std::string::npos)
        for (int i = 0; i < 20000 && g_madeAhead < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return RecordingCallbacks().print(text, length);
}

TEST(MadeAheadRoom, TheCallingThreadsStepsFitWhereOneThreadFits) {
    const struct {
        ZipItem first;
        const char* line;  // the calling thread's before it makes `name`
        const char* name;
        const char* content;
    } cases[] = {{DosItem("sub/"), "creating: sub/", "sub/", ""}, {DosItem("a", "1"), "extracting: a", "a", "1"}};
    for (const auto& [first, line, name, content] : cases) {
        Scratch s;
        fs::create_directories(s / "small");
        // One thread's peak: the root, the destination, r1, r2, the first
        // entry, and for a moment a new r1 or r2 beside its old file.
        if (mount("tmpfs", (s / "small").c_str(), "tmpfs", 0, "size=1m,nr_inodes=6") != 0)
            GTEST_SKIP() << "cannot mount a small file system here";
        WriteFile(s / "small/dest/r1", "old");
        WriteFile(s / "small/dest/r2", "old");
        WriteFile(s / "a.zip", ZipBuilder().add(first).file("r1", "new 1").file("r2", "new 2").build());
        uz::RunSettings settings;
        settings.createOutput = CreateCounted;
        settings.workers = settings.window = 2;
        g_callingThread = std::this_thread::get_id();
        g_madeAhead = 0;
        g_waitAt = line;
        UnzipOptionsRecord options = Call::InstallerOptions();
        options.MessageLevel = 0;  // with the progress lines
        UnzipCallbackRecord callbacks = RecordingCallbacks();
        callbacks.print = PrintAfterWorkers;
        Rec().printed.clear();
        const int32_t result = RunExtractor(s / "a.zip", s / "small/dest", settings, options, callbacks);
        const auto tree = Tree(s / "small/dest");
        umount((s / "small").c_str());
        EXPECT_EQ(result, UZ_OK) << line << "\n" << Rec().printed;
        EXPECT_GE(g_madeAhead, 2) << line << ": no files made ahead";
        EXPECT_EQ(tree, (std::map<std::string, std::string>{{"r1", "new 1"}, {"r2", "new 2"}, {name, content}}));
    }
}

}  // namespace
}  // namespace uztest
