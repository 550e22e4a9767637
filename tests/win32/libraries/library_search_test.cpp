// Loading a library from the program's folder under Wine: what it needs in
// turn comes from its own folder or the system's, never from along PATH.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "expect_failure.h"
#include "platform/win32/win32_services.h"

namespace {

namespace fs = std::filesystem;

TEST(LibrarySearch, ADependencyIsNeverTakenFromPath) {
    wchar_t self[MAX_PATH];
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const fs::path folder = fs::path(self).parent_path(), onPath = folder / "onpath", beside = folder / "uzdep.dll";
    fs::remove(beside);
    const std::wstring path = onPath.wstring() + L";" + _wgetenv(L"PATH");
    ASSERT_TRUE(SetEnvironmentVariableW(L"PATH", path.c_str()));
    platform::win32::Win32Libraries libraries;

    testsupport::ExpectFailure(48, [&] { libraries.LoadFromProgramFolder(L"dependent"); });

    fs::copy_file(onPath / "uzdep.dll", beside);
    {
        auto library = libraries.LoadFromProgramFolder(L"dependent");
        EXPECT_EQ(reinterpret_cast<int (*)()>(library->Symbol("DependentAnswer"))(), 42);
    }
    fs::remove(beside);
}

}  // namespace
