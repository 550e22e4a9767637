// Putting a file in place over an old one under Windows rules, on real files
// under Wine, whose server applies sharing modes: an old file held open
// without delete sharing cannot be replaced while it is held. And a file
// system that refuses the delete-on-close mark, through the seam.
#include <windows.h>

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

bool HoldsTemporary(const fs::path& folder) {
    for (const std::string& name : Names(folder))
        if (name.rfind(".unzip32-", 0) == 0) return true;
    return false;
}

enum class Hold { Never, ReleasedInTime, Throughout };

TEST(Commit, OverAHeldOldFileAndWithoutTheDeleteMark) {
    struct Case {
        const char* label;
        Hold hold;
        bool markRefused;
        int32_t result;
        const char* content;  // of f.txt after the run
    };
    const Case cases[] = {
        {"held, released in time", Hold::ReleasedInTime, false, UZ_OK, "new"},
        {"held throughout", Hold::Throughout, false, UZ_WARNING, "old"},
        {"held throughout, mark refused", Hold::Throughout, true, UZ_WARNING, "old"},
        {"mark refused", Hold::Never, true, UZ_OK, "new"},
    };
    for (const Case& c : cases) {
        Scratch s{"uzcommit"};
        WriteFile(s / "a.zip", ZipBuilder().file("f.txt", "new").build());
        WriteFile(s / "out/f.txt", "old");
        platform::win32::UniqueFileHandle held;
        if (c.hold != Hold::Never)
            held = platform::win32::UniqueFileHandle(CreateFileW((s / "out/f.txt").c_str(), GENERIC_READ,
                                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                                 OPEN_EXISTING, 0, nullptr));
        ASSERT_EQ(c.hold == Hold::Never, !held) << c.label;
        // Lets go a moment after the new file is there to be put in place,
        // when the first rename has met the old file held.
        std::atomic<bool> done{false};
        std::thread releaser;
        if (c.hold == Hold::ReleasedInTime)
            releaser = std::thread([&] {
                for (int i = 0; i < 30000 && !done && !HoldsTemporary(s / "out"); ++i) Sleep(1);
                Sleep(200);
                held.reset();
            });

        uz::RunSettings settings;  // the calling thread alone
        if (c.markRefused) settings.createOutput = CreateUnmarked;
        Rec().printed.clear();
        const int32_t result = RunExtractor(s / "a.zip", s / "out", settings);
        done = true;
        if (releaser.joinable()) releaser.join();
        held.reset();

        EXPECT_EQ(result, c.result) << c.label << "\n" << Rec().printed;
        EXPECT_EQ(Tree(s / "out"), (std::map<std::string, std::string>{{"f.txt", c.content}})) << c.label;
        if (c.result != UZ_OK) {
            EXPECT_NE(Rec().printed.find("cannot put f.txt in place"), std::string::npos) << c.label;
        }
    }
}

}  // namespace
}  // namespace uztest
