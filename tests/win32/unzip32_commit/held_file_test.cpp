// Putting a file in place under Windows rules, on real files under Wine,
// whose server applies sharing modes: an old file held open without delete
// sharing, let go in time or held throughout; and, through the seam, a file
// system that refuses the delete-on-close mark.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "extractor_run.h"
#include "platform/win32/handles.h"
#include "zip_builder.h"

namespace uztest {
namespace {

bool RefuseMark(void*, bool) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return false;
}
uz::os::Status CreateUnmarked(const uz::os::Path& folder, std::unique_ptr<uz::os::OutputFile>& file) {
    return uz::os::CreateOutputFile(folder, file, RefuseMark);
}

TEST(Commit, OverAHeldOldFileAndWithoutTheDeleteMark) {
    enum Hold { kNever, kLetGo, kThroughout };
    const struct {
        Hold hold;
        bool markRefused;
        const char* content;  // of f.txt afterwards; "old": the entry failed
    } cases[] = {{kLetGo, false, "new"}, {kThroughout, false, "old"}, {kThroughout, true, "old"}, {kNever, true, "new"}};
    for (const auto& c : cases) {
        Scratch s{"uzcommit"};
        WriteFile(s / "a.zip", ZipBuilder().file("f.txt", "new").build());
        WriteFile(s / "out/f.txt", "old");
        platform::win32::UniqueFileHandle held(c.hold == kNever ? INVALID_HANDLE_VALUE
            : CreateFileW((s / "out/f.txt").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr));
        // Lets go a moment after the new file is there, its first rename
        // having met the old file held.
        std::atomic<bool> done{false};
        std::thread releaser([&] {
            if (c.hold != kLetGo) return;
            while (!done && Names(s / "out").size() < 2) Sleep(1);
            Sleep(200);
            held.reset();
        });
        uz::RunSettings settings;  // the calling thread alone
        if (c.markRefused) settings.createOutput = CreateUnmarked;
        Rec().printed.clear();
        const int32_t result = RunExtractor(s / "a.zip", s / "out", settings);
        done = true;
        releaser.join();
        held.reset();
        const bool failed = c.content == std::string("old");
        EXPECT_EQ(result, failed ? UZ_WARNING : UZ_OK) << c.hold << c.markRefused << Rec().printed;
        EXPECT_EQ(failed, Rec().printed.find("cannot put f.txt in place") != std::string::npos);
        // Nothing else: no temporary file left.
        EXPECT_EQ(Tree(s / "out"), (std::map<std::string, std::string>{{"f.txt", c.content}}));
    }
}

}  // namespace
}  // namespace uztest
