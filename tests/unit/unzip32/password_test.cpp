// Traditional encryption and the password flow through the callback.
#include <gtest/gtest.h>

#include "archive_tools.h"
#include "zip_builder.h"

namespace uztest {
namespace {

ZipItem Secret(const std::string& name, const std::string& data, const std::string& password = "secret") {
    ZipItem item;
    item.name = name;
    item.data = data;
    item.password = password;
    return item;
}

class Passwords : public ::testing::Test {
protected:
    void TearDown() override { Rec().passwords.clear(); }
    Scratch s;
};

TEST_F(Passwords, WrongThenRightThenReusedWithoutAsking) {
    WriteFile(s / "a.zip", ZipBuilder().add(Secret("one", "first")).add(Secret("two", "second")).file("plain", "p").build());
    Rec().passwords = {"wrong", "secret"};
    Call call(s / "a.zip", s / "out");
    EXPECT_EQ(call.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(Rec().passwordEntries, (std::vector<std::string>{"one", "one"}));
    EXPECT_EQ(Rec().passwordSizes.at(0), 257);
    EXPECT_EQ(Tree(s / "out"),
              (std::map<std::string, std::string>{{"one", "first"}, {"two", "second"}, {"plain", "p"}}));
}

TEST_F(Passwords, NoAnswerSkipsThatAndTheRestWithoutAsking) {
    WriteFile(s / "a.zip", ZipBuilder().add(Secret("one", "1")).add(Secret("two", "2")).build());
    Call call(s / "a.zip", s / "out");
    for (int32_t level : {0, 2}) {
        call.options.MessageLevel = level;
        EXPECT_EQ(call.run(), UZ_BAD_PASSWORD);
        EXPECT_EQ(Rec().passwordEntries.size(), 1u);
        EXPECT_NE(Rec().printed.find("two"), std::string::npos);
        EXPECT_FALSE(fs::exists(s / "out/one"));
    }
}

TEST_F(Passwords, SkippedBesidePlainEntriesIsAWarning) {
    WriteFile(s / "a.zip", ZipBuilder().add(Secret("one", "1")).file("plain", "p").build());
    Call call(s / "a.zip", s / "out");
    EXPECT_EQ(call.run(), UZ_WARNING);
    EXPECT_EQ(Tree(s / "out"), (std::map<std::string, std::string>{{"plain", "p"}}));
}

TEST_F(Passwords, DifferentPasswordsPerEntry) {
    WriteFile(s / "a.zip", ZipBuilder().add(Secret("one", "1", "alpha")).add(Secret("two", "2", "beta")).build());
    Rec().passwords = {"alpha", "beta"};
    Call call(s / "a.zip", s / "out");
    EXPECT_EQ(call.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(Rec().passwordEntries, (std::vector<std::string>{"one", "two"}));
}

struct Encrypter {
    const char* label;
    const char* tool;
    const char* command;
};
// Test names show the label, not the bytes.
void PrintTo(const Encrypter& c, std::ostream* os) { *os << c.label; }
const Encrypter kEncrypters[] = {
    {"7z", "7z", "cd '{src}' && 7z a -tzip -psecret -mem=ZipCrypto -bd -bso0 '{zip}' . >/dev/null"},
    {"bsdtar", "bsdtar",
     "cd '{src}' && bsdtar --format zip --options zip:encryption=zipcrypt --passphrase secret -cf '{zip}' ."},
};

class Encrypted : public ::testing::TestWithParam<Encrypter> {};

TEST_P(Encrypted, MatchesPythonZipfile) {
    if (!HaveTool(GetParam().tool)) GTEST_SKIP();
    Scratch s;
    fs::create_directories(s / "src/sub");
    WriteFile(s / "src/a.txt", std::string(20000, 'a') + "end");
    WriteFile(s / "src/sub/b.bin", std::string("\x00\x01\x02", 3) + std::string(5000, '\x7f'));
    std::string command = GetParam().command;
    command.replace(command.find("{src}"), 5, (s / "src").string());
    command.replace(command.find("{zip}"), 5, (s / "a.zip").string());
    ASSERT_EQ(Shell(command), 0);
    PythonExtract(s / "a.zip", s / "ref", "secret");
    Rec().passwords = {"secret"};
    Call call(s / "a.zip", s / "out");
    EXPECT_EQ(call.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(Rec().passwordEntries.size(), 1u);
    EXPECT_EQ(Tree(s / "out"), Tree(s / "ref"));
}

INSTANTIATE_TEST_SUITE_P(Tools, Encrypted, ::testing::ValuesIn(kEncrypters),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace uztest
