// Every option against a destination that already holds files.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "unzip_harness.h"
#include "zip_builder.h"

namespace uztest {
namespace {

// Archive entries from 2010-06-15 12:00; the destination holds one file older
// and one newer than that, and an entry that is not there yet.
constexpr uint16_t kDate2010 = ((2010 - 1980) << 9) | (6 << 5) | 15;
constexpr time_t kOlder = 1000000000;   // 2001
constexpr time_t kNewer = 1700000000;   // 2023

class Prefilled : public ::testing::Test {
protected:
    void SetUp() override {
        ZipBuilder zip;
        for (const char* name : {"old.txt", "new.txt", "fresh.txt"}) {
            ZipItem item;
            item.name = name;
            item.data = std::string("archive ") + name;
            item.dosDate = kDate2010;
            zip.add(item);
        }
        WriteFile(s / "a.zip", zip.build());
        fs::create_directories(s / "out");
        Put("old.txt", kOlder);
        Put("new.txt", kNewer);
    }
    void Put(const std::string& name, time_t mtime) {
        WriteFile(s / "out" / name, "existing " + name);
        const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
        utimensat(AT_FDCWD, (s / "out" / name).c_str(), times, 0);
    }
    std::string Content(const std::string& name) {
        return fs::exists(s / "out" / name) ? ReadFile(s / "out" / name) : "<none>";
    }
    Call Make() { return Call(s / "a.zip", s / "out"); }
    Scratch s;
};

struct OptionCase {
    const char* label;
    void (*set)(UnzipOptionsRecord&);
    const char* old;    // expected content afterwards: "a" archive, "e" existing, "-" absent
    const char* newer;
    const char* fresh;
};
// Test names show the label, not the bytes.
void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.label; }

const OptionCase kCases[] = {
    {"Overwrite", [](UnzipOptionsRecord& o) { o.OverWriteFiles = 1; }, "a", "a", "a"},
    {"NeitherKeepsExisting", [](UnzipOptionsRecord& o) { o.OverWriteFiles = 0; }, "e", "e", "a"},
    {"FreshenOnlyReplacesOlder", [](UnzipOptionsRecord& o) { o.ExtractOnlyNewer = 1, o.OverWriteFiles = 0; }, "a", "e", "-"},
    {"UpdateAddsNewAndReplacesOlder", [](UnzipOptionsRecord& o) { o.ExtractNewer = 1, o.OverWriteFiles = 0; }, "a", "e", "a"},
    {"TestWritesNothing", [](UnzipOptionsRecord& o) { o.TestZip = 1; }, "e", "e", "-"},
    {"ListWritesNothing", [](UnzipOptionsRecord& o) { o.ExtractList = 1; }, "e", "e", "-"},
    {"ToPrintWritesNothing", [](UnzipOptionsRecord& o) { o.WriteToStdOut = 1; }, "e", "e", "-"},
};

class Options : public Prefilled, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(Options, ActOnExistingFiles) {
    const OptionCase& c = GetParam();
    Call call = Make();
    c.set(call.options);
    ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
    const auto expect = [](const char* code, const std::string& name) {
        return std::string(code) == "a" ? "archive " + name : std::string(code) == "e" ? "existing " + name : "<none>";
    };
    EXPECT_EQ(Content("old.txt"), expect(c.old, "old.txt"));
    EXPECT_EQ(Content("new.txt"), expect(c.newer, "new.txt"));
    EXPECT_EQ(Content("fresh.txt"), expect(c.fresh, "fresh.txt"));
}

INSTANTIATE_TEST_SUITE_P(All, Options, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(Prefilled, PromptAnswersNoYesAllNone) {
    {
        Call call = Make();
        call.options.PromptOverwrite = 1;
        Rec().replaceAnswers = {UZ_REPLACE_NO, UZ_REPLACE_YES};
        ASSERT_EQ(call.run(), UZ_OK);
        ASSERT_EQ(Rec().replaceAsked.size(), 2u);
        EXPECT_EQ(Rec().replaceAsked[0], (s / "out/old.txt").string());
        EXPECT_EQ(Content("old.txt"), "existing old.txt");
        EXPECT_EQ(Content("new.txt"), "archive new.txt");
    }
    Put("old.txt", kOlder);
    Put("new.txt", kNewer);
    {
        Call call = Make();
        call.options.PromptOverwrite = 1;
        Rec().replaceAnswers = {UZ_REPLACE_ALL};
        ASSERT_EQ(call.run(), UZ_OK);
        EXPECT_EQ(Rec().replaceAsked.size(), 1u);  // "all" answers for the rest
        EXPECT_EQ(Content("new.txt"), "archive new.txt");
    }
    Put("old.txt", kOlder);
    Put("new.txt", kNewer);
    {
        Call call = Make();
        call.options.PromptOverwrite = 1;
        Rec().replaceAnswers = {UZ_REPLACE_NONE};
        ASSERT_EQ(call.run(), UZ_OK);
        EXPECT_EQ(Rec().replaceAsked.size(), 1u);
        EXPECT_EQ(Content("old.txt"), "existing old.txt");
        EXPECT_EQ(Content("new.txt"), "existing new.txt");
    }
}

TEST(Options, HonorDirectoriesOffAndSpaceToUnderscore) {
    Scratch s;
    WriteFile(s / "a.zip", ZipBuilder().file("dir/sub/my file.txt", "1").file("top.txt", "2").build());
    Call call(s / "a.zip", s / "out");
    call.options.HonorDirectories = 0;
    call.options.SpaceToUnderScore = 1;
    ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(Tree(s / "out"), (std::map<std::string, std::string>{{"my_file.txt", "1"}, {"top.txt", "2"}}));
}

TEST(Options, ConvertLineEndsOnTextOnly) {
    Scratch s;
    const std::string binary = std::string("\0\r\n\x01", 4) + std::string(100, 'b');
    WriteFile(s / "a.zip", ZipBuilder().file("t.txt", "one\r\ntwo\r\n\r\nend").file("b.bin", binary).build());
    Call call(s / "a.zip", s / "out");
    call.options.ConvertCRtoCRLF = 1;
    ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(ReadFile(s / "out/t.txt"), "one\ntwo\n\nend");
    EXPECT_EQ(ReadFile(s / "out/b.bin"), binary);
}

TEST(Options, WriteToStdOutSendsDataLineByLine) {
    Scratch s;
    const std::string x(4096, 'x');  // a piece at most; a longer line is cut
    WriteFile(s / "a.zip", ZipBuilder().file("a.txt", "first\n" + x + x + "y\n\nlast").build());
    Call call(s / "a.zip", s / "out");
    call.options.WriteToStdOut = 1;
    ASSERT_EQ(call.run(), UZ_OK);
    EXPECT_EQ(Rec().prints, (std::vector<std::string>{"first\n", x, x, "y\n", "\n", "last"}));
}

TEST(Options, ListingCallbackFields) {
    Scratch s;
    ZipItem item;
    item.name = "dir/readme.txt";
    item.data = std::string(1000, 'a');
    item.dosDate = static_cast<uint16_t>(((2004 - 1980) << 9) | (5 << 5) | 7);
    item.dosTime = static_cast<uint16_t>((9 << 11) | (5 << 5));
    ZipItem stored;
    stored.name = "s.bin";
    stored.data = "xyz";
    stored.method = 0;
    WriteFile(s / "a.zip", ZipBuilder().add(item).add(stored).build());
    Call call(s / "a.zip", s / "out");
    call.options.ExtractList = 1;
    call.options.Verbose = 1;
    ASSERT_EQ(call.run(), UZ_OK);
    ASSERT_EQ(Rec().listed.size(), 2u);
    const Listed& l = Rec().listed[0];
    EXPECT_EQ(l.size, 1000);
    EXPECT_LT(l.compressedSize, 100u);
    EXPECT_GT(l.ratio, 90u);
    EXPECT_EQ(l.month, 5u);
    EXPECT_EQ(l.day, 7u);
    EXPECT_EQ(l.year, 2004u);
    EXPECT_EQ(l.hour, 9u);
    EXPECT_EQ(l.minute, 5u);
    EXPECT_EQ(l.c, 0);
    EXPECT_EQ(l.name, "dir/readme.txt");
    EXPECT_EQ(l.method, "Defl:N");
    EXPECT_EQ(l.crc, Crc(item.data));
    EXPECT_EQ(l.encrypted, 0);
    EXPECT_EQ(Rec().listed[1].method, "Stored");
    EXPECT_NE(Rec().printed.find("dir/readme.txt"), std::string::npos);  // the verbose table
    // Fixed-width columns: length, method, size, ratio, date, time, CRC, name.
    const std::string storedRow = "       3  Stored        3   0% ";
    const size_t row = Rec().printed.find(storedRow);
    ASSERT_NE(row, std::string::npos) << Rec().printed;
    EXPECT_EQ(Rec().printed.substr(row + storedRow.size() + 18, 8 + 2 + 5), "eb8eba67  s.bin");
    EXPECT_NE(Rec().printed.find("    1003              "), std::string::npos) << Rec().printed;  // totals
    EXPECT_FALSE(fs::exists(s / "out"));
}

TEST(Options, NameListsWildcardsAndCase) {
    Scratch s;
    WriteFile(s / "a.zip",
              ZipBuilder().file("src/a.cpp", "1").file("src/B.CPP", "2").file("src/c.h", "3").file("doc/x.txt", "4").build());
    struct Case {
        std::vector<std::string> include, exclude;
        int32_t caseSensitive;
        std::vector<std::string> expect;
        int32_t result;
    };
    const Case cases[] = {
        {{"*.cpp"}, {}, 1, {"src/a.cpp"}, UZ_OK},
        {{"*.cpp"}, {}, 0, {"src/B.CPP", "src/a.cpp"}, UZ_OK},
        {{"src/?.[ch]*"}, {"*B*"}, 1, {"src/a.cpp", "src/c.h"}, UZ_OK},
        {{}, {"src/*"}, 1, {"doc/x.txt"}, UZ_OK},
        {{"nothing*"}, {}, 1, {}, UZ_NO_MATCH},
        {{"doc/*", "nothing"}, {}, 1, {"doc/x.txt"}, UZ_WARNING},
    };
    int n = 0;
    for (const Case& c : cases) {
        const fs::path out = s / ("out" + std::to_string(n++));
        Call call(s / "a.zip", out);
        call.include = c.include;
        call.exclude = c.exclude;
        call.options.CaseSensitive = c.caseSensitive;
        EXPECT_EQ(call.run(), c.result) << n;
        std::vector<std::string> got;
        for (const auto& [name, content] : Tree(out))
            if (name.back() != '/') got.push_back(name);
        EXPECT_EQ(got, c.expect) << n;
        if (c.result != UZ_OK) {
            EXPECT_NE(Rec().printed, "") << n;
        }
    }
}

TEST(Options, ServiceCallbackSeesEveryEntryAndStops) {
    Scratch s;
    WriteFile(s / "a.zip", ZipBuilder().file("one", "1").file("two", "2").file("three", "3").build());
    Call call(s / "a.zip", s / "out");
    ASSERT_EQ(call.run(), UZ_OK);
    EXPECT_EQ(Rec().serviced, (std::vector<std::pair<std::string, int32_t>>{{"one", 3}, {"two", 3}, {"three", 5}}));
    Rec().stopAtService = 1;
    Call stopped(s / "a.zip", s / "stopped");
    EXPECT_EQ(stopped.run(), UZ_STOPPED);
    Rec().stopAtService = -1;
    EXPECT_EQ(Tree(s / "stopped"), (std::map<std::string, std::string>{{"one", "1"}}));
    EXPECT_NE(Rec().printed.find("stopped"), std::string::npos);
}

TEST(Options, VersionRecord) {
    UnzipVersionRecord v{};
    v.length = 64;
    ASSERT_EQ(UzpVersion2(&v), UZ_OK);
    EXPECT_EQ(v.flag & 2, 2);
    EXPECT_EQ(std::string(v.zlibVersion).substr(0, 2), "1.");
    EXPECT_EQ(v.library[0], 1);
    UnzipVersionRecord wrong{};
    wrong.length = 60;
    EXPECT_EQ(UzpVersion2(&wrong), UZ_BAD_OPTIONS);
    EXPECT_EQ(wrong.date[0], 0);
}

TEST(Options, NullCallbacksAndBadArguments) {
    Scratch s;
    WriteFile(s / "a.zip", ZipBuilder().file("a", "1").build());
    const std::string zip = (s / "a.zip").string(), dir = (s / "out").string();
    UnzipOptionsRecord o{};
    o.HonorDirectories = 1;
    o.ZipFileName = zip.c_str();
    o.ExtractDir = dir.c_str();
    UnzipCallbackRecord none{};
    UnzipNameList list{};
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, list, 0, list, &o, &none), UZ_OK);
    EXPECT_EQ(ReadFile(s / "out/a"), "1");
    EXPECT_EQ(Wiz_SingleEntryUnzip(0, list, 0, list, nullptr, &none), UZ_BAD_OPTIONS);
    EXPECT_EQ(Wiz_SingleEntryUnzip(101, list, 0, list, &o, &none), UZ_BAD_OPTIONS);
    EXPECT_EQ(Wiz_SingleEntryUnzip(-1, list, 0, list, &o, &none), UZ_BAD_OPTIONS);
}

}  // namespace
}  // namespace uztest
