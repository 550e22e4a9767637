// The unpacking window's Cancel: a click still queued when the last bytes are
// out must stop the installation as surely as one during the unpacking.
#include <gtest/gtest.h>

#include <string>

#include "launcher/win32/unpacking_window.h"
#include "resources/resource_ids.h"

namespace {

using launcher::win32::UnpackingWindow;

constexpr uint64_t kTotal = 1000;

// The window appears once the unpacking has lasted half a second: bytes keep
// coming out until it is there (a minute at most).
HWND ShownWindow(UnpackingWindow& window) {
    const ULONGLONG deadline = GetTickCount64() + 60000;
    HWND shown = nullptr;
    while (!shown && GetTickCount64() < deadline) {
        EXPECT_TRUE(window.Unpacked(kTotal / 2));
        shown = FindWindowW(L"" UNPACKING_WINDOW_CLASS, nullptr);
        if (!shown) Sleep(20);
    }
    return shown;
}

struct CancelCase {
    const char* name;
    bool clickDuring;  // Cancel handled while bytes still come out
    bool clickAfter;   // Cancel queued after the last bytes
    bool expectDuring;
    bool expectFinish;
};

class UnpackingCancel : public testing::TestWithParam<CancelCase> {};

TEST_P(UnpackingCancel, StopsWheneverItArrives) {
    const CancelCase& c = GetParam();
    UnpackingWindow window(GetModuleHandleW(nullptr), kTotal);
    const HWND shown = ShownWindow(window);
    ASSERT_NE(shown, nullptr);
    if (c.clickDuring) PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(window.Unpacked(kTotal), !c.expectDuring);
    if (c.clickAfter) PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(window.Finish(), c.expectFinish);
    EXPECT_EQ(FindWindowW(L"" UNPACKING_WINDOW_CLASS, nullptr), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Clicks, UnpackingCancel,
                         testing::Values(CancelCase{"None", false, false, false, false},
                                         CancelCase{"During", true, false, true, true},
                                         CancelCase{"AfterTheLastBytes", false, true, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UnpackingWindow, SmallPayloadShowsNothingAndFinishesUncancelled) {
    UnpackingWindow window(GetModuleHandleW(nullptr), kTotal);
    EXPECT_TRUE(window.Unpacked(kTotal));
    EXPECT_EQ(FindWindowW(L"" UNPACKING_WINDOW_CLASS, nullptr), nullptr);
    EXPECT_FALSE(window.Finish());
}

}  // namespace
