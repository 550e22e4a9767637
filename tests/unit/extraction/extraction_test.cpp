// Extraction through UnzipFiles against the real unzip library, on archives
// made at test time.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "extraction_world.h"
#include "unzip/code_module.h"
#include "unzip/unzip_files.h"
#include "zip_builder.h"

namespace {

namespace fs = std::filesystem;
using extraction_test::ExtractionWorld;
using uztest::DosItem;
using uztest::ZipBuilder;

std::string AllByteValues() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    return bytes;
}

class RealLibrary : public testing::Test {
protected:
    // An object set up as the installer sets it up: archive and destination.
    unzip::UnzipFiles Files(const std::string& archive, const std::string& dest = "dest") {
        unzip::UnzipFiles files;
        files.ZipFileName((world.folder / archive).wstring());
        files.ExtractDir((world.folder / dest).wstring());
        fs::create_directories(world.folder / dest);
        return files;
    }
    std::string Extracted(const std::string& name) const {
        return ExtractionWorld::Read(world.folder / "dest" / name);
    }

    ExtractionWorld world;
};

TEST_F(RealLibrary, ExtractsTheWholeArchiveBelowTheDestination) {
    world.Write("app.zip", ZipBuilder({DosItem("readme.txt", "hello\r\n"),
                                       DosItem("docs/"),
                                       DosItem("docs/guide.txt", "step 1\nstep 2\n"),
                                       DosItem("bin/tool.dat", AllByteValues()),
                                       DosItem("empty.txt")})
                               .build());
    unzip::UnzipFiles files = Files("app.zip");
    EXPECT_EQ(files.Unzip(), 0) << extraction_test::Ansi(files.GetLastMessage());
    EXPECT_EQ(Extracted("readme.txt"), "hello\r\n");
    EXPECT_EQ(Extracted("docs/guide.txt"), "step 1\nstep 2\n");
    EXPECT_EQ(Extracted("bin/tool.dat"), AllByteValues());
    EXPECT_TRUE(fs::is_regular_file(world.folder / "dest" / "empty.txt"));
}

TEST_F(RealLibrary, FailingArchiveLeavesTheLibrarysPrintedText) {
    std::string archive = ZipBuilder({DosItem("a.txt", "some text")}).build();
    world.Write("garbage.zip", "this is not an archive at all");
    world.Write("truncated.zip", archive.substr(0, archive.size() - 10));
    for (const wchar_t* name : {L"missing.zip", L"garbage.zip", L"truncated.zip"}) {
        SCOPED_TRACE(extraction_test::Ansi(name));
        unzip::UnzipFiles files = Files(extraction_test::Ansi(name));
        EXPECT_NE(files.Unzip(), 0);
        EXPECT_NE(files.GetLastMessage().find(name), std::wstring::npos)
            << extraction_test::Ansi(files.GetLastMessage());
        EXPECT_EQ(files.GetLastMessage(), unzip::State().PrintOutput);
    }
}

TEST_F(RealLibrary, EachExtractionStartsWithoutTheEarlierText) {
    unzip::UnzipFiles files = Files("first.zip");
    files.Unzip();
    ASSERT_NE(files.GetLastMessage().find(L"first.zip"), std::wstring::npos);

    files.Unzip((world.folder / "second.zip").wstring());
    EXPECT_NE(files.GetLastMessage().find(L"second.zip"), std::wstring::npos);
    EXPECT_EQ(files.GetLastMessage().find(L"first.zip"), std::wstring::npos);

    world.Write("good.zip", ZipBuilder({DosItem("a.txt", "a")}).build());
    EXPECT_EQ(files.Unzip((world.folder / "good.zip").wstring()), 0);
    EXPECT_EQ(files.GetLastMessage().find(L"second.zip"), std::wstring::npos);
}

TEST_F(RealLibrary, ListingLinesOfTheEntries) {
    world.Write("app.zip",
                ZipBuilder({DosItem("readme.txt", "hello\r\n"), DosItem("b.bin", "12345678")}).build());
    unzip::UnzipFiles files = Files("app.zip");
    files.ExtractList(1);
    EXPECT_EQ(files.Unzip(), 0);
    const std::wstring& text = unzip::State().ListingText;
    ASSERT_EQ(text.size(), 3 * 82u) << extraction_test::Ansi(text);
    EXPECT_EQ(text.substr(82, 80),
              L"readme.txt                                              7  05/07/04  10:30      ");
    EXPECT_EQ(text.substr(164, 80),
              L"b.bin                                                   8  05/07/04  10:30      ");
    EXPECT_EQ(unzip::State().ListingCount, 2);
}

struct OverwriteCase {
    const char* label;
    std::vector<std::optional<int>> answers;  // none: the box cannot appear
    const char* a;                            // a.txt afterwards
    const char* b;                            // b.txt afterwards
    size_t boxes;
};

const OverwriteCase kOverwrites[] = {
    {"YesYes", {platform::kAnswerYes, platform::kAnswerYes}, "new a", "new b", 2},
    {"NoYes", {platform::kAnswerNo, platform::kAnswerYes}, "old a", "new b", 2},
    {"CancelLeavesTheRest", {platform::kAnswerCancel}, "old a", "old b", 1},
    {"NoBoxOverwrites", {std::nullopt, std::nullopt}, "new a", "new b", 2},
};

class Overwrite : public RealLibrary, public testing::WithParamInterface<OverwriteCase> {};

TEST_P(Overwrite, AnswersDecideEachExistingFile) {
    const OverwriteCase& c = GetParam();
    world.Write("app.zip", ZipBuilder({DosItem("a.txt", "new a"), DosItem("b.txt", "new b")}).build());
    world.Write("dest/a.txt", "old a");
    world.Write("dest/b.txt", "old b");
    unzip::UnzipFiles files = Files("app.zip");
    files.PromptOverwrite(common::kTrue);
    files.OverWriteFiles(common::kFalse);
    world.answers.assign(c.answers.begin(), c.answers.end());
    files.Unzip();
    EXPECT_EQ(Extracted("a.txt"), c.a);
    EXPECT_EQ(Extracted("b.txt"), c.b);
    ASSERT_EQ(world.boxes.size(), c.boxes);
    const fake::ShownBox& box = world.boxes[0];
    EXPECT_EQ(box.prompt.rfind(L"Overwrite ", 0), 0u);
    EXPECT_EQ(box.prompt.substr(box.prompt.size() - 6), L"a.txt?");
    EXPECT_EQ(box.style, 3 + 48);
    EXPECT_EQ(box.title, L"UnZip32 - File Already Exists!");
}

INSTANTIATE_TEST_SUITE_P(Answers, Overwrite, testing::ValuesIn(kOverwrites),
                         [](const auto& info) { return std::string(info.param.label); });

class EncryptedArchive : public RealLibrary {
protected:
    EncryptedArchive() {
        world.Write("secret.zip", ZipBuilder({DosItem("one.txt", "first secret", "abc"),
                                              DosItem("two.txt", "second secret", "abc")}).build());
    }
};

TEST_F(EncryptedArchive, RightPasswordExtracts) {
    world.inputAnswers = {L"abc", L"abc"};
    unzip::UnzipFiles files = Files("secret.zip");
    EXPECT_EQ(files.Unzip(), 0) << extraction_test::Ansi(files.GetLastMessage());
    EXPECT_EQ(Extracted("one.txt"), "first secret");
    EXPECT_EQ(Extracted("two.txt"), "second secret");
    EXPECT_GE(world.inputPrompts.size(), 1u);
    EXPECT_EQ(world.inputPrompts[0], L"Please Enter The Password!");
}

TEST_F(EncryptedArchive, CancelOnceAsksNoMoreUntilTheNextExtraction) {
    world.inputAnswers = {L"", L"abc", L"abc"};
    unzip::UnzipFiles files = Files("secret.zip");
    EXPECT_NE(files.Unzip(), 0);
    EXPECT_EQ(world.inputPrompts.size(), 1u);
    EXPECT_EQ(unzip::State().PasswordSkip, 1);
    EXPECT_FALSE(fs::exists(world.folder / "dest" / "one.txt"));

    EXPECT_EQ(files.Unzip(), 0);
    EXPECT_GE(world.inputPrompts.size(), 2u);
    EXPECT_EQ(Extracted("two.txt"), "second secret");
}

}  // namespace
