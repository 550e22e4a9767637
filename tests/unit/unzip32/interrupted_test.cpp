// Temporary files: an extraction killed in the middle of an entry leaves
// none, and the next one into a folder removes those that stayed anyway.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "halting_extraction.h"
#include "unzip_harness.h"
#include "zip_builder.h"

namespace uztest {
namespace {

struct Fd {
    int fd;
    ~Fd() { close(fd); }
};

// Kills a child in the middle of a large entry over an existing file, then
// extracts again. Without /proc (hidden in the child's own mount namespace)
// temporary files are named and one stays behind for the next run. The
// extractor linked in here serves only these children, so each settles
// afresh which kind it makes.
TEST(Interrupted, KilledMidEntryLeavesTheOldFileAndNoTemporary) {
    Scratch s;
    const std::string big = MixedData(8 << 20);
    WriteFile(s / "a.zip", ZipBuilder().file("big.bin", big).build());
    const std::string zip = LibraryText(s / "a.zip"), out = LibraryText(s / "out");
    UnzipOptionsRecord options = Call::InstallerOptions();
    options.ZipFileName = zip.c_str();
    options.ExtractDir = out.c_str();
    for (const bool hideProc : {false, true}) {
        WriteFile(s / "out/big.bin", "old");
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        const Fd reader{ends[0]}, writer{ends[1]};
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (hideProc && (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                             mount("tmpfs", "/proc", "tmpfs", 0, "size=4k") != 0))
                _exit(static_cast<int>(write(writer.fd, "s", 1)));
            ExtractUntilHalfway(options, [&] { static_cast<void>(!write(writer.fd, "h", 1)); });
            _exit(1);
        }
        pollfd ready{reader.fd, POLLIN, 0};
        char said = 0;
        const bool answered = poll(&ready, 1, 60000) == 1 && read(reader.fd, &said, 1) == 1;
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        if (said == 's') GTEST_SKIP() << "cannot hide /proc here";
        ASSERT_TRUE(answered && said == 'h') << "the extraction never reached the middle of the archive";
        EXPECT_EQ(Names(s / "out").size(), hideProc ? 2u : 1u);
        EXPECT_EQ(ReadFile(s / "out/big.bin"), "old");

        Call again(s / "a.zip", s / "out");
        EXPECT_EQ(again.run(), UZ_OK) << Rec().printed;
        EXPECT_EQ(Names(s / "out"), std::vector<std::string>{"big.bin"}) << hideProc;
        EXPECT_TRUE(ReadFile(s / "out/big.bin") == big) << hideProc;
    }
}

TEST(Interrupted, NextExtractionRemovesOnlyStaleTemporariesOfTheFoldersItEnters) {
    const std::string stale = ".unzip32-0123456789abcdef.tmp", inUse = ".unzip32-00000000000000aa.tmp";
    Scratch s;
    for (const auto& planted : {stale, "sub/" + stale, "other/" + stale, inUse, std::string(".unzip32-0123.tmp"),
                                std::string(".unzip32-0123456789ABCDEF.tmp")})
        WriteFile(s / "out" / planted, "t");
    fs::create_directories(s / "out/.unzip32-fedcba9876543210.tmp");
    const Fd locked{open((s / "out" / inUse).c_str(), O_RDONLY)};
    ASSERT_EQ(flock(locked.fd, LOCK_EX | LOCK_NB), 0);
    WriteFile(s / "a.zip", ZipBuilder().file("f", "1").file("sub/g", "2").build());
    Call call(s / "a.zip", s / "out");
    call.differential = false;  // a copy of the destination would lose the lock
    EXPECT_EQ(call.run(), UZ_OK) << Rec().printed;
    // "other/" is not entered; the rest are not stale temporary files.
    EXPECT_EQ(Tree(s / "out"), (std::map<std::string, std::string>{{".unzip32-00000000000000aa.tmp", "t"},
                                                                  {".unzip32-0123.tmp", "t"},
                                                                  {".unzip32-0123456789ABCDEF.tmp", "t"},
                                                                  {".unzip32-fedcba9876543210.tmp/", ""},
                                                                  {"f", "1"},
                                                                  {"other/", ""},
                                                                  {"other/" + stale, "t"},
                                                                  {"sub/", ""},
                                                                  {"sub/g", "2"}}));
}

}  // namespace
}  // namespace uztest
