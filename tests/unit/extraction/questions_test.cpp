// The password and overwrite questions.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "extraction_world.h"
#include "unzip/code_module.h"

namespace {

using extraction_test::ExtractionWorld;
using fake::ShownBox;

constexpr unsigned char kUntouched = 0x55;

class Password : public testing::Test {
protected:
    ExtractionWorld world;
    std::vector<unsigned char> buffer = std::vector<unsigned char>(16, kUntouched);

    int32_t Ask(int32_t size) {
        return unzip::DllPassword(reinterpret_cast<char*>(buffer.data()), size, "library prompt",
                                  "entry.txt");
    }
    bool Untouched() const {
        for (unsigned char b : buffer)
            if (b != kUntouched) return false;
        return true;
    }
};

TEST_F(Password, AnswerFillsTheBufferAndTheRestIsZero) {
    world.inputAnswers = {L"abc"};
    EXPECT_EQ(Ask(10), 0);
    const std::vector<unsigned char> expected = {97, 98, 99, 0, 0, 0, 0, 0, 0, 0,
                                                 kUntouched, kUntouched, kUntouched,
                                                 kUntouched, kUntouched, kUntouched};
    EXPECT_EQ(buffer, expected);
    EXPECT_EQ(world.inputPrompts, std::vector<std::wstring>{L"Please Enter The Password!"});
    EXPECT_EQ(unzip::State().PasswordSkip, 0);
}

TEST_F(Password, EmptyAnswerOrNoBoxDeclinesForTheRestOfTheExtraction) {
    const std::optional<std::wstring> declines[] = {std::wstring(), std::nullopt};
    for (const auto& answer : declines) {
        unzip::State().PasswordSkip = 0;
        world.inputPrompts.clear();
        world.inputAnswers = {answer, L"never asked"};
        EXPECT_EQ(Ask(10), 1);
        EXPECT_EQ(unzip::State().PasswordSkip, 1);
        EXPECT_EQ(Ask(10), 1);
        EXPECT_EQ(world.inputPrompts.size(), 1u);
        EXPECT_TRUE(Untouched());
    }
}

// The answer and its zero must fit both the given size and the 257 bytes
// handled; a longer answer is refused, leaving the buffer as it was.
struct FitCase {
    size_t answerLength;
    int32_t size;
    int32_t result;
};
const FitCase kFits[] = {
    {9, 10, 0}, {10, 10, 1}, {1, 2, 0}, {1, 1, 1}, {1, 0, 1}, {1, -5, 1},
    {256, 1000, 0}, {257, 1000, 1}, {256, 257, 0}, {256, 256, 1},
};

TEST_F(Password, AnswerMustFitWithItsZero) {
    for (const FitCase& c : kFits) {
        SCOPED_TRACE(testing::Message() << c.answerLength << " characters, size " << c.size);
        unzip::State().PasswordSkip = 0;
        // Exactly as large as the callback may touch: any byte beyond is caught.
        size_t allocated = c.size > 0 ? std::min<size_t>(c.size, 257) : 1;
        auto target = std::make_unique<char[]>(allocated);
        std::fill_n(target.get(), allocated, static_cast<char>(kUntouched));
        std::wstring answer(c.answerLength, L'p');
        world.inputAnswers = {answer};
        EXPECT_EQ(unzip::DllPassword(target.get(), c.size, "", ""), c.result);
        std::string written(target.get(), allocated);
        if (c.result == 0) {
            EXPECT_EQ(written, std::string(c.answerLength, 'p') +
                                   std::string(allocated - c.answerLength, '\0'));
        } else {
            EXPECT_EQ(written, std::string(allocated, static_cast<char>(kUntouched)));
            EXPECT_EQ(unzip::State().PasswordSkip, 0);
        }
    }
}

TEST_F(Password, CharacterWithoutCodeEndsThePassword) {
    if (extraction_test::Ansi(L"\u4e00") != "?") GTEST_SKIP() << "the code page has U+4E00";
    world.inputAnswers = {L"ab\u4e00cd?"};
    EXPECT_EQ(Ask(8), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), 8), std::string("ab\0\0\0\0\0\0", 8));
}

TEST_F(Password, QuestionMarkIsAnOrdinaryCharacter) {
    world.inputAnswers = {L"?x?"};
    EXPECT_EQ(Ask(4), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()), 4), std::string("?x?\0", 4));
}

TEST_F(Password, SkipSetBeforeShowsNothing) {
    unzip::State().PasswordSkip = 1;
    world.inputAnswers = {L"abc"};
    EXPECT_EQ(Ask(10), 1);
    EXPECT_TRUE(world.inputPrompts.empty());
    EXPECT_TRUE(Untouched());
}

TEST_F(Password, NoBufferAtAllGivesNone) {
    world.inputAnswers = {L"abc"};
    EXPECT_EQ(unzip::DllPassword(nullptr, 10, nullptr, nullptr), 1);
}

struct ReplaceCase {
    const char* label;
    std::optional<int> answer;  // none: the box cannot appear
    int32_t result;
};
const ReplaceCase kReplaces[] = {
    {"No", platform::kAnswerNo, 100},
    {"Cancel", platform::kAnswerCancel, 104},
    {"Yes", platform::kAnswerYes, 102},
    {"NoBox", std::nullopt, 102},
};

class Replace : public testing::TestWithParam<ReplaceCase> {
protected:
    ExtractionWorld world;
};

TEST_P(Replace, AnswerGivesResult) {
    world.answers = {GetParam().answer};
    char name[] = "C:\\dest\\readme.txt";
    EXPECT_EQ(unzip::DllReplace(name), GetParam().result);
    const std::vector<ShownBox> shown = {
        {L"Overwrite C:\\dest\\readme.txt?", 3 + 48, L"UnZip32 - File Already Exists!"}};
    EXPECT_EQ(world.boxes, shown);
}

INSTANTIATE_TEST_SUITE_P(Answers, Replace, testing::ValuesIn(kReplaces),
                         [](const auto& info) { return std::string(info.param.label); });

class Questions : public testing::Test {
protected:
    ExtractionWorld world;
};

// Dialogs that fail with something other than a run-time failure.
class ThrowingDialogs final : public platform::Dialogs {
public:
    int MsgBox(const std::wstring&, int, const std::wstring&) override {
        throw std::runtime_error("broken");
    }
    std::wstring InputBox(const std::wstring&) override { throw 42; }
};

TEST_F(Questions, NothingEscapesACallback) {
    ThrowingDialogs throwing;
    platform::Services services = platform::Current();
    services.dialogs = &throwing;
    platform::Bind(services);
    char name[] = "a.txt";
    EXPECT_EQ(unzip::DllReplace(name), 102);
    char answer[10] = {};
    EXPECT_EQ(unzip::DllPassword(answer, 10, "", ""), 1);
    EXPECT_EQ(unzip::State().PasswordSkip, 1);

    services.dialogs = nullptr;
    platform::Bind(services);
    EXPECT_EQ(unzip::DllReplace(name), 102);
}

TEST_F(Questions, OverwriteNameIsReadOnlyWithinItsFirst256Bytes) {
    auto name = std::make_unique<char[]>(256);
    std::fill_n(name.get(), 256, 'f');
    world.answers = {platform::kAnswerNo};
    EXPECT_EQ(unzip::DllReplace(name.get()), 100);
    ASSERT_EQ(world.boxes.size(), 1u);
    EXPECT_EQ(world.boxes[0].prompt, L"Overwrite " + std::wstring(256, L'f') + L"?");
}

}  // namespace
