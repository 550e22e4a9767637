// A library loaded from the program's folder under Wine: what it needs in
// turn comes from its own folder or the system's, never from along PATH.
#include <gtest/gtest.h>

#include <filesystem>

#include "expect_failure.h"
#include "platform/win32/win32_services.h"

namespace fs = std::filesystem;

TEST(LibrarySearch, ADependencyIsNeverTakenFromPath) {
    wchar_t self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const fs::path folder = fs::path(self).parent_path(), beside = folder / "uzdep.dll";
    fs::remove(beside);
    const std::wstring path = (folder / "onpath").wstring() + L";" + _wgetenv(L"PATH");
    ASSERT_TRUE(SetEnvironmentVariableW(L"PATH", path.c_str()));
    platform::win32::Win32Libraries libraries;
    testsupport::ExpectFailure(48, [&] { libraries.LoadFromProgramFolder(L"dependent"); });
    fs::copy_file(folder / "onpath/uzdep.dll", beside);
    EXPECT_EQ(reinterpret_cast<int (*)()>(libraries.LoadFromProgramFolder(L"dependent")->Symbol("DependentAnswer"))(), 42);
    fs::remove(beside);
}
