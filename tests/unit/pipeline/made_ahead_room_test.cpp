// Files made ahead take room the calling thread alone would still have: on a
// real small file system, a folder or file that the calling thread makes
// while workers hold files made ahead for later entries must still be made
// whenever a run on one thread would make it. The later entries replace old
// files, so the made-ahead files are inodes a run on one thread never holds
// at once. Linux only (tmpfs, which needs root).
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
const char* g_waitAt = "";  // the calling thread's message before the step under test
bool g_waited = false;

uz::os::Status CreateCounted(const uz::os::Path& folder, std::unique_ptr<uz::os::OutputFile>& file) {
    const uz::os::Status made = uz::os::CreateOutputFile(folder, file);
    if (made.ok() && std::this_thread::get_id() != g_callingThread) ++g_madeAhead;
    return made;
}

// Holds the calling thread, at the message before the step under test, until
// the workers have made both later entries' files (for at most 20 s).
int32_t UZ_CALL PrintAfterWorkers(const char* text, int32_t length) {
    if (std::string(text, static_cast<size_t>(length)).find(g_waitAt) != std::string::npos) {
        for (int i = 0; i < 20000 && g_madeAhead < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        g_waited = g_madeAhead >= 2;
    }
    return RecordingCallbacks().print(text, length);
}

TEST(MadeAheadRoom, TheCallingThreadsStepsFitWhereOneThreadFits) {
    struct Case {
        const char* label;
        ZipItem first;  // made by the calling thread, before r1 and r2
        const char* message;
    };
    const Case cases[] = {
        {"a folder entry", DosItem("sub/"), "creating: sub/"},
        {"a file", DosItem("a", "first"), "extracting: a"},
    };
    for (const Case& c : cases) {
        std::map<std::string, std::string> trees[2];
        for (const bool piped : {false, true}) {
            Scratch s;
            fs::create_directories(s / "small");
            // The root, the destination, r1, r2 and the first entry, and a
            // new r1 or r2 beside its old file for a moment.
            if (mount("tmpfs", (s / "small").c_str(), "tmpfs", 0, "size=1m,nr_inodes=6") != 0)
                GTEST_SKIP() << "cannot mount a small file system here";
            WriteFile(s / "small/dest/r1", "old");
            WriteFile(s / "small/dest/r2", "old");
            WriteFile(s / "a.zip", ZipBuilder().add(c.first).file("r1", "new 1").file("r2", "new 2").build());
            uz::RunSettings settings;
            settings.createOutput = CreateCounted;
            if (piped) settings.workers = settings.window = 2;
            g_callingThread = std::this_thread::get_id();
            g_madeAhead = 0;
            g_waitAt = piped ? c.message : "\x01";
            g_waited = false;
            Rec().printed.clear();
            UnzipOptionsRecord options = Call::InstallerOptions();
            options.MessageLevel = 0;  // with the progress lines
            UnzipCallbackRecord callbacks = RecordingCallbacks();
            callbacks.print = PrintAfterWorkers;
            const int32_t result = RunExtractor(s / "a.zip", s / "small/dest", settings, options, callbacks);
            trees[piped] = Tree(s / "small/dest");
            umount((s / "small").c_str());
            EXPECT_EQ(result, UZ_OK) << c.label << (piped ? ", workers" : ", one thread") << "\n" << Rec().printed;
            if (piped) {
                EXPECT_TRUE(g_waited) << c.label << ": the workers made nothing ahead";
            }
        }
        EXPECT_EQ(trees[0], trees[1]) << c.label;
    }
}

}  // namespace
}  // namespace uztest
