// Temporary files under Windows rules: a file being written goes with the
// process that ends in the middle of it; one that stayed anyway goes with the
// next extraction into its folder.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/handles.h"
#include "unzip_harness.h"
#include "zip_builder.h"

namespace uztest {
namespace {

using platform::win32::UniqueHandle;

TEST(Interrupted, EndedMidEntryLeavesTheOldFileAndNoTemporary) {
    ASSERT_NE(Library().unzip, nullptr);
    Scratch s{"uz32test"};
    const std::string big = MixedData(8 << 20);
    WriteFile(s / "a.zip", ZipBuilder().file("big.bin", big).build());
    WriteFile(s / "out/big.bin", "old");
    wchar_t self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::wstring event = L"uz-halted-" + std::to_wstring(GetCurrentProcessId());
    const UniqueHandle halted(CreateEventW(nullptr, TRUE, FALSE, event.c_str()));
    std::wstring command = L"halting_extraction \"" + (s / "a.zip").wstring() + L"\" \"" + (s / "out").wstring() +
                           L"\" " + event;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW((fs::path(self).parent_path() / L"halting_extraction.exe").c_str(), command.data(),
                               nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
    const UniqueHandle process(started.hProcess), thread(started.hThread);
    const bool reached = WaitForSingleObject(halted.get(), 60000) == WAIT_OBJECT_0;
    TerminateProcess(process.get(), 1);
    ASSERT_EQ(WaitForSingleObject(process.get(), 60000), WAIT_OBJECT_0);
    ASSERT_TRUE(reached) << "the extraction never reached the middle of the archive";
    EXPECT_EQ(Names(s / "out"), std::vector<std::string>{"big.bin"});
    EXPECT_EQ(ReadFile(s / "out/big.bin"), "old");

    // Where the mark could not be set a name stays: the next run removes it,
    // unless an extraction holds it open (without sharing deletion) still.
    const std::string stale = "out/.unzip32-0123456789abcdef.tmp", held = "out/.unzip32-00000000000000aa.tmp";
    WriteFile(s / stale, "t");
    WriteFile(s / held, "t");
    const platform::win32::UniqueFileHandle holding(
        CreateFileW((s / held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    Call again(s / "a.zip", s / "out");
    again.differential = false;  // the held file could not be put back
    EXPECT_EQ(again.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(Names(s / "out"), (std::vector<std::string>{".unzip32-00000000000000aa.tmp", "big.bin"}));
    EXPECT_TRUE(ReadFile(s / "out/big.bin") == big);
}

}  // namespace
}  // namespace uztest
