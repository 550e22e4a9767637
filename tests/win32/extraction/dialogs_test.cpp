// The real boxes under Windows: the input box of our own and the overwrite
// question, answered from a helper thread; then both during real extractions.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <vector>

#include "box_driver.h"
#include "extraction_world.h"
#include "platform/win32/win32_services.h"
#include "unzip/code_module.h"
#include "unzip/unzip_files.h"
#include "zip_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace extraction_test;
using uztest::DosItem;
using uztest::ZipBuilder;

constexpr wchar_t kPasswordPrompt[] = L"Please Enter The Password!";
constexpr wchar_t kReplaceCaption[] = L"UnZip32 - File Already Exists!";

// The real Windows boxes bound in place of the scripted ones.
class RealBoxes : public testing::Test {
protected:
    RealBoxes() {
        platform::Services services = platform::Current();
        services.dialogs = &dialogs;
        platform::Bind(services);
    }

    ExtractionWorld world;
    platform::win32::Win32Dialogs dialogs;
};

TEST_F(RealBoxes, InputBoxReturnsWhatIsTyped) {
    SeenBox seen;
    bool controls = false;
    BoxScript script([&](const std::atomic<bool>&) {
        HWND box = WaitForBox(L"SETUP");
        if (box == nullptr) return;
        seen = Inspect(box);
        controls = Child(box, L"Edit") && GetDlgItem(box, IDOK) && GetDlgItem(box, IDCANCEL);
        Type(box, L"typed answer");
        Click(box, IDOK);
    });
    std::wstring answer = dialogs.InputBox(L"Which one?");
    script.Join();
    ASSERT_NE(seen.window, nullptr) << "no input box appeared";
    EXPECT_EQ(answer, L"typed answer");
    EXPECT_EQ(seen.title, L"SETUP");
    EXPECT_EQ(seen.prompt, L"Which one?");
    EXPECT_TRUE(controls);
    // Centred in the work area.
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR((seen.rect.left + seen.rect.right) / 2, (area.left + area.right) / 2, 2);
    EXPECT_NEAR((seen.rect.top + seen.rect.bottom) / 2, (area.top + area.bottom) / 2, 2);
}

TEST_F(RealBoxes, InputBoxIsOwnedByTheWindow) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    dialogs.SetOwner(owner);
    SeenBox seen;
    BoxScript script([&](const std::atomic<bool>&) {
        HWND box = WaitForBox(L"SETUP");
        if (box == nullptr) return;
        seen = Inspect(box);
        Click(box, IDCANCEL);
    });
    EXPECT_EQ(dialogs.InputBox(L"p"), L"");
    script.Join();
    EXPECT_EQ(seen.owner, owner);
    DestroyWindow(owner);
}

// Every way of leaving the box without an answer gives the empty text.
struct Decline {
    const char* label;
    void (*act)(HWND box);
};
const Decline kDeclines[] = {
    {"CancelButton", [](HWND box) { Click(box, IDCANCEL); }},
    {"CancelCommand", [](HWND box) { Command(box, IDCANCEL); }},
    {"EscapeKey",
     [](HWND box) {
         Type(box, L"not taken");
         HWND edit = Child(box, L"Edit");
         PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
         PostMessageW(edit, WM_KEYUP, VK_ESCAPE, 0xC0010001);
     }},
    {"CloseBox",
     [](HWND box) {
         Type(box, L"not taken");
         PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
     }},
    {"OkWithNothingTyped", [](HWND box) { Click(box, IDOK); }},
};

class InputBoxDecline : public RealBoxes, public testing::WithParamInterface<Decline> {};

TEST_P(InputBoxDecline, GivesEmpty) {
    bool found = false;
    BoxScript script([&](const std::atomic<bool>&) {
        HWND box = WaitForBox(L"SETUP");
        if (box == nullptr) return;
        found = true;
        GetParam().act(box);
    });
    EXPECT_EQ(dialogs.InputBox(L"prompt"), L"");
    script.Join();
    EXPECT_TRUE(found);
}

INSTANTIATE_TEST_SUITE_P(Ways, InputBoxDecline, testing::ValuesIn(kDeclines),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(RealBoxes, PasswordCallbackFillsTheBufferFromTheBox) {
    SeenBox seen;
    BoxScript script([&](const std::atomic<bool>&) {
        HWND box = WaitForBox(L"SETUP");
        if (box == nullptr) return;
        seen = Inspect(box);
        Type(box, L"abc");
        Click(box, IDOK);
    });
    char buffer[12];
    std::fill_n(buffer, 12, 'x');
    EXPECT_EQ(unzip::DllPassword(buffer, 10, "library's own prompt", "entry"), 0);
    script.Join();
    EXPECT_EQ(seen.prompt, kPasswordPrompt);
    EXPECT_EQ(std::string(buffer, 12), std::string("abc\0\0\0\0\0\0\0xx", 12));
}

struct ReplaceAnswer {
    const char* label;
    int button;
    int32_t result;
};
const ReplaceAnswer kReplaceAnswers[] = {
    {"Yes", IDYES, 102}, {"No", IDNO, 100}, {"Cancel", IDCANCEL, 104}};

class ReplaceQuestion : public RealBoxes, public testing::WithParamInterface<ReplaceAnswer> {};

TEST_P(ReplaceQuestion, ButtonGivesResult) {
    SeenBox seen;
    bool buttons = false;
    BoxScript script([&](const std::atomic<bool>&) {
        HWND box = WaitForBox(kReplaceCaption);
        if (box == nullptr) return;
        seen = Inspect(box);
        buttons = GetDlgItem(box, IDYES) && GetDlgItem(box, IDNO) && GetDlgItem(box, IDCANCEL);
        Command(box, GetParam().button);
    });
    char name[] = "C:\\dest\\readme.txt";
    EXPECT_EQ(unzip::DllReplace(name), GetParam().result);
    script.Join();
    EXPECT_EQ(seen.prompt, L"Overwrite C:\\dest\\readme.txt?");
    EXPECT_TRUE(buttons);
}

INSTANTIATE_TEST_SUITE_P(Buttons, ReplaceQuestion, testing::ValuesIn(kReplaceAnswers),
                         [](const auto& info) { return std::string(info.param.label); });

// Answers every box titled `title` that appears until asked to stop.
void AnswerEvery(const wchar_t* title, const std::atomic<bool>& stop, std::atomic<int>& answered,
                 void (*answer)(HWND box)) {
    while (!stop) {
        HWND box = WaitForBox(title, 200);
        if (box == nullptr) continue;
        answer(box);
        ++answered;
        // Wait for this box to go before looking for the next one.
        for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
    }
}

TEST_F(RealBoxes, EncryptedArchiveWithThePasswordTypedInTheBox) {
    world.Write("secret.zip", ZipBuilder({DosItem("one.txt", "first secret", "abc"),
                                          DosItem("two.txt", "second secret", "abc")}).build());
    std::atomic<int> answered{0};
    BoxScript script([&](const std::atomic<bool>& stop) {
        AnswerEvery(L"SETUP", stop, answered, [](HWND box) {
            Type(box, L"abc");
            Click(box, IDOK);
        });
    });
    unzip::UnzipFiles files;
    fs::create_directories(world.folder / "dest");
    EXPECT_EQ(files.Unzip((world.folder / "secret.zip").wstring(), (world.folder / "dest").wstring()),
              0)
        << Ansi(files.GetLastMessage());
    script.Stop();
    script.Join();
    EXPECT_GE(answered, 1);
    EXPECT_EQ(ExtractionWorld::Read(world.folder / "dest" / "two.txt"), "second secret");
}

TEST_F(RealBoxes, ExistingFilesOverwrittenWhenAnsweredYes) {
    world.Write("app.zip", ZipBuilder({DosItem("a.txt", "new a"), DosItem("b.txt", "new b")}).build());
    world.Write("dest/a.txt", "old a");
    world.Write("dest/b.txt", "old b");
    std::atomic<int> answered{0};
    BoxScript script([&](const std::atomic<bool>& stop) {
        AnswerEvery(kReplaceCaption, stop, answered, [](HWND box) {
            Command(box, IsWindow(box) && GetDlgItem(box, IDYES) ? IDYES : IDCANCEL);
        });
    });
    unzip::UnzipFiles files;
    files.PromptOverwrite(common::kTrue);
    files.OverWriteFiles(common::kFalse);
    EXPECT_EQ(files.Unzip((world.folder / "app.zip").wstring(), (world.folder / "dest").wstring()), 0)
        << Ansi(files.GetLastMessage());
    script.Stop();
    script.Join();
    EXPECT_EQ(answered, 2);
    EXPECT_EQ(ExtractionWorld::Read(world.folder / "dest" / "a.txt"), "new a");
    EXPECT_EQ(ExtractionWorld::Read(world.folder / "dest" / "b.txt"), "new b");
}

}  // namespace
