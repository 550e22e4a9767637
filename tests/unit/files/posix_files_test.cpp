// The POSIX file system of the platform seam on real files: the listing's
// masks (dot names count as hidden), "\" as separator, opening and reading
// text files, creating folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/failure.h"
#include "expect_failure.h"
#include "platform/posix/posix_services.h"

namespace {

namespace fs = std::filesystem;

using testsupport::ExpectFailure;

class PosixFiles : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/files-test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        for (const char* name : {"plain.txt", "b.txt", ".hidden"}) Write(name, "x");
        fs::create_directory(root_ / "folder");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    std::wstring Path(const std::wstring& name) const { return fs::path(root_).wstring() + L"\\" + name; }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(root_ / name, std::ios::binary) << bytes;
    }

    fs::path root_;
    platform::posix::PosixFileSystem files_;
    platform::posix::PosixAnsiText ansi_;
};

struct DirCase {
    const wchar_t* name;
    int mask;
    const wchar_t* expected;
};

TEST_F(PosixFiles, DirHonoursTheAttributeMask) {
    const DirCase cases[] = {
        {L"plain.txt", 0, L"plain.txt"}, {L".hidden", 0, L""},          {L".hidden", 2, L".hidden"},
        {L"folder", 0, L""},             {L"folder", 16, L"folder"},    {L"plain.txt", 16, L"plain.txt"},
        {L"missing", 16, L""},           {L"missing\\x", 16, L""},      {L"*.txt", 0, L"b.txt"},
        {L"fold?r", 16, L"folder"},      {L"fold?r", 0, L""},           {L"*", 0, L"b.txt"},
        {L"folder\\", 16, L""},
    };
    for (const DirCase& c : cases) {
        EXPECT_EQ(files_.Dir(Path(c.name), c.mask), c.expected)
            << testing::PrintToString(std::wstring(c.name)) << " mask " << c.mask;
    }
    ExpectFailure(52, [&] { files_.Dir(Path(L"a*\\plain.txt"), 0); });
}

TEST_F(PosixFiles, OpenTextFailuresAndLines) {
    ExpectFailure(53, [&] { files_.OpenText(Path(L"missing.ini")); });
    ExpectFailure(75, [&] { files_.OpenText(Path(L"folder")); });

    platform::Services services;
    services.ansi = &ansi_;
    platform::Bind(services);
    Write("Setup.ini", "A=1\r\nB=2\rC=3\nD\r\n");
    auto reader = files_.OpenText(Path(L"Setup.ini"));
    std::vector<std::wstring> lines;
    while (!reader->AtEnd()) lines.push_back(reader->ReadLine());
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"A=1", L"B=2", L"C=3\nD"}));
    platform::Bind({});
}

TEST_F(PosixFiles, MkDirMakesOneLevel) {
    files_.MkDir(Path(L"new"));
    EXPECT_TRUE(fs::is_directory(root_ / "new"));
    ExpectFailure(75, [&] { files_.MkDir(Path(L"new")); });
    ExpectFailure(76, [&] { files_.MkDir(Path(L"one\\two")); });
}

TEST_F(PosixFiles, ProgramFolderIsTheExecutablesFolder) {
    EXPECT_EQ(fs::path(files_.ProgramFolder()), fs::canonical("/proc/self/exe").parent_path());
}

}  // namespace
