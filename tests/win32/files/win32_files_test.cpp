// The Windows file system of the platform seam, on real files under Wine:
// the directory listing's attribute masks and malformed names, opening and
// reading text files, creating folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/failure.h"
#include "expect_failure.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_services.h"

namespace {

namespace fs = std::filesystem;
using platform::win32::UniqueFileHandle;

using testsupport::ExpectFailure;

class Win32Files : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = fs::path(temp) / (L"files-test-" + std::to_wstring(GetCurrentProcessId()));
        fs::create_directories(root_);
        Write(L"plain.txt", "x");
        Write(L"hidden.txt", "x");
        SetFileAttributesW(Path(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
        Write(L"system.txt", "x");
        SetFileAttributesW(Path(L"system.txt").c_str(), FILE_ATTRIBUTE_SYSTEM);
        Write(L"readonly.txt", "x");
        SetFileAttributesW(Path(L"readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        fs::create_directory(root_ / L"folder");
    }
    void TearDown() override {
        for (const wchar_t* name : {L"hidden.txt", L"system.txt", L"readonly.txt"}) {
            SetFileAttributesW(Path(name).c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    std::wstring Path(const std::wstring& name) const { return root_.wstring() + L"\\" + name; }
    void Write(const std::wstring& name, const std::string& bytes) {
        UniqueFileHandle file(CreateFileW(Path(name).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    fs::path root_;
    platform::win32::Win32FileSystem files_;
    platform::win32::Win32AnsiText ansi_;
};

struct DirCase {
    const wchar_t* name;
    int mask;
    const wchar_t* expected;
};

TEST_F(Win32Files, DirHonoursTheAttributeMask) {
    const DirCase cases[] = {
        {L"plain.txt", 0, L"plain.txt"},     {L"readonly.txt", 0, L"readonly.txt"},
        {L"hidden.txt", 0, L""},             {L"hidden.txt", 2, L"hidden.txt"},
        {L"system.txt", 0, L""},             {L"system.txt", 4, L"system.txt"},
        {L"folder", 0, L""},                 {L"folder", 16, L"folder"},
        {L"plain.txt", 16, L"plain.txt"},    {L"missing.txt", 0, L""},
        {L"missing\\plain.txt", 16, L""},    {L"pl*.txt", 0, L"plain.txt"},
        {L"fold?r", 16, L"folder"},          {L"fold?r", 0, L""},
        {L"folder\\", 16, L""},
    };
    for (const DirCase& c : cases) {
        EXPECT_EQ(files_.Dir(Path(c.name), c.mask), c.expected)
            << testing::PrintToString(std::wstring(c.name)) << " mask " << c.mask;
    }
}

TEST_F(Win32Files, DirRefusesMalformedNames) {
    for (const std::wstring& name :
         {Path(L"a*\\plain.txt"), Path(L"x<y"), Path(L"x>y"), Path(L"bad|name"),
          Path(L"quote\"d"), Path(L"colon:name"), Path(std::wstring(L"ctl\x01"))}) {
        SCOPED_TRACE(testing::PrintToString(name));
        ExpectFailure(52, [&] { files_.Dir(name, 16); });
    }
    EXPECT_EQ(files_.Dir(L"", 0), L"");
}

TEST_F(Win32Files, OpenTextFailures) {
    ExpectFailure(53, [&] { files_.OpenText(Path(L"missing.ini")); });
    ExpectFailure(76, [&] { files_.OpenText(Path(L"missing\\Setup.ini")); });
    ExpectFailure(75, [&] { files_.OpenText(Path(L"folder")); });
    // Held open by someone who shares nothing.
    UniqueFileHandle locked(CreateFileW(Path(L"plain.txt").c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked);
    ExpectFailure(70, [&] { files_.OpenText(Path(L"plain.txt")); });
}

TEST_F(Win32Files, OpenTextReadsLinesThroughTheCodePage) {
    platform::Services services;
    services.ansi = &ansi_;
    platform::Bind(services);
    Write(L"Setup.ini", "MESSAGE=a\r\nTARGET=b\rEXEFILE=c\nd\r\n\r\nlast");
    auto reader = files_.OpenText(Path(L"Setup.ini"));
    std::vector<std::wstring> lines;
    while (!reader->AtEnd()) lines.push_back(reader->ReadLine());
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"MESSAGE=a", L"TARGET=b", L"EXEFILE=c\nd", L"",
                                                 L"last"}));
    platform::Bind({});
}

TEST_F(Win32Files, MkDirMakesOneLevel) {
    files_.MkDir(Path(L"new"));
    EXPECT_TRUE(fs::is_directory(root_ / L"new"));
    ExpectFailure(75, [&] { files_.MkDir(Path(L"new")); });
    ExpectFailure(75, [&] { files_.MkDir(Path(L"plain.txt")); });
    ExpectFailure(76, [&] { files_.MkDir(Path(L"one\\two")); });
    EXPECT_FALSE(fs::exists(root_ / L"one"));
}

// A drive root keeps its separator, as the program's folder at the root of a
// drive must; the library beside it is then named with one separator.
TEST_F(Win32Files, ProgramFolderKeepsTheSeparatorOfADriveRootOnly) {
    const struct {
        const wchar_t *file, *folder, *library;
    } kCases[] = {
        {LR"(C:\setup.exe)", LR"(C:\)", LR"(C:\unzip32.dll)"},
        {LR"(\\?\C:\setup.exe)", LR"(\\?\C:\)", LR"(\\?\C:\unzip32.dll)"},
        {LR"(C:\pkg\setup.exe)", LR"(C:\pkg)", LR"(C:\pkg\unzip32.dll)"},
        {LR"(\\server\share\setup.exe)", LR"(\\server\share)", LR"(\\server\share\unzip32.dll)"},
        {LR"(C:\a:b\setup.exe)", LR"(C:\a:b)", LR"(C:\a:b\unzip32.dll)"},
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(platform::win32::FolderOf(c.file), c.folder) << c.file;
        EXPECT_EQ(platform::win32::InFolder(platform::win32::FolderOf(c.file), L"unzip32.dll"), c.library) << c.file;
    }
    EXPECT_EQ(files_.ProgramFolder(), platform::win32::FolderOf(platform::win32::ProgramFile()));
}

}  // namespace
