// unzip32.dll under Windows rules: wide-character names, long paths, device
// names, drive letters and streams refused, ANSI texts in the callbacks.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "hostile_archives.h"
#include "unzip_harness.h"
#include "zip_builder.h"

namespace uztest {
namespace {

class Dll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Library().version, nullptr) << "unzip32.dll did not load, or lacks UzpVersion2";
        ASSERT_NE(Library().unzip, nullptr) << "Wiz_SingleEntryUnzip is not exported undecorated";
        Rec() = Recorder{};
    }
    // Extracts `zipBytes`, written as a.zip, into out/.
    int32_t Run(const std::string& zipBytes, UnzipOptionsRecord options = Call::InstallerOptions()) {
        WriteFile(s / "a.zip", zipBytes);
        Call call(s / "a.zip", s / "out");
        call.options = options;
        return call.run();
    }
    std::map<std::string, std::string> Out() const { return Tree(s / "out"); }

    Scratch s{"uz32test"};
};

TEST_F(Dll, VersionRecord) {
    UnzipVersionRecord v{};
    v.length = 64;
    EXPECT_EQ(Library().version(&v), UZ_OK);
    EXPECT_EQ(std::string(v.zlibVersion).substr(0, 2), "1.");
    v.length = 10;
    EXPECT_EQ(Library().version(&v), UZ_BAD_OPTIONS);
}

TEST_F(Dll, ExtractsFoldersAndUnicodeNames) {
    ZipItem utf8;
    utf8.name = "\xe6\x97\xa5\xe6\x9c\xac/\xc3\xa9t\xc3\xa9.txt";
    utf8.flags = 1 << 11;
    utf8.data = "wide";
    ZipItem cp437;
    cp437.name = "caf\x82.txt";
    cp437.data = "oem";
    const std::string big(300000, 'z');
    const int32_t r = Run(ZipBuilder().file("a/b/c.txt", "abc").file("s.bin", big, 0).add(utf8).add(cp437).build());
    EXPECT_EQ(r, UZ_OK) << Rec().printed;
    EXPECT_EQ(Out(), (std::map<std::string, std::string>{{"a/", ""},
                                                          {"a/b/", ""},
                                                          {"a/b/c.txt", "abc"},
                                                          {"s.bin", big},
                                                          {"\xe6\x97\xa5\xe6\x9c\xac/", ""},
                                                          {"\xe6\x97\xa5\xe6\x9c\xac/\xc3\xa9t\xc3\xa9.txt", "wide"},
                                                          {"caf\xc3\xa9.txt", "oem"}}));
}

// Entries of a megabyte or more are written by the library's second thread.
TEST_F(Dll, LargeEntriesWrittenOnTheSecondThread) {
    std::string mixed;
    uint32_t seed = 12345;
    while (mixed.size() < 3u << 20) {
        seed = seed * 1103515245u + 12345u;
        mixed += (seed >> 28) < 8 ? std::string("line of text\n") : std::string(1, static_cast<char>(seed >> 16));
    }
    std::string text;
    while (text.size() < 2u << 20) text += "one line\n";
    std::string textCrLf;
    for (char c : text) textCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);

    ASSERT_EQ(Run(ZipBuilder().file("deflated.bin", mixed).file("stored.bin", mixed, 0).build()), UZ_OK)
        << Rec().printed;
    EXPECT_EQ(Out(), (std::map<std::string, std::string>{{"deflated.bin", mixed}, {"stored.bin", mixed}}));

    UnzipOptionsRecord convert = Call::InstallerOptions();
    convert.ConvertCRtoCRLF = 1;
    ASSERT_EQ(Run(ZipBuilder().file("notes.txt", text).build(), convert), UZ_OK) << Rec().printed;
    EXPECT_EQ(Out()["notes.txt"], textCrLf);

    // A large entry whose CRC does not match leaves the file it would replace.
    ZipItem bad;
    bad.name = "deflated.bin";
    bad.data = mixed + "x";
    bad.crc = 0x12345678;
    EXPECT_NE(Run(ZipBuilder().add(bad).build()), UZ_OK);
    EXPECT_EQ(Out()["deflated.bin"], mixed);
    EXPECT_EQ(Out().size(), 3u) << "a temporary file was left behind";
}

TEST_F(Dll, LongPaths) {
    std::string name;
    for (int i = 0; i < 12; ++i) name += std::string(40, static_cast<char>('a' + i)) + "/";
    name += "leaf.txt";
    WriteFile(s / "a.zip", ZipBuilder().file(name, "deep").build());
    Call call(s / "a.zip", s / "out");
    call.differential = false;  // the standard library walks no path this long here
    EXPECT_EQ(call.run(), UZ_OK) << Rec().printed;
    std::wstring wide = L"\\\\?\\" + (s / L"out").wstring() + L"\\";
    for (char c : name) wide += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Dll, RefusesDevicesDrivesStreamsAndEscapes) {
    for (const char* name : {"CON", "nul.txt", "sub/COM1", "lpt1.log", "C:\\evil.txt", "c:evil.txt", "..\\evil.txt",
                             "a\\..\\..\\evil.txt", "\\\\server\\share\\evil.txt", "/evil.txt", "file.txt:stream"}) {
        Rec() = Recorder{};
        ExpectRefusedBesideGood(name, s / "a.zip", s / "out");
        EXPECT_FALSE(fs::exists(s / L"evil.txt"));
    }
}

TEST_F(Dll, AnsiNamesInCallbacksAndPrompt) {
    ZipItem item;
    item.name = "\xc3\xa9.txt";
    item.flags = 1 << 11;
    item.data = "new";
    fs::create_directories(s / L"out");
    std::ofstream(s / L"out" / L"\u00e9.txt", std::ios::binary) << "old";
    UnzipOptionsRecord o = Call::InstallerOptions();
    o.PromptOverwrite = 1;
    EXPECT_EQ(Run(ZipBuilder().add(item).build(), o), UZ_OK);
    ASSERT_EQ(Rec().replaceAsked.size(), 1u);
    EXPECT_EQ(Rec().replaceAsked[0], LibraryText(s / L"out" / L"\u00e9.txt"));
    EXPECT_EQ(ReadFile(s / L"out" / L"\u00e9.txt"), "old");
    o.ExtractList = 1;
    EXPECT_EQ(Run(ZipBuilder().add(item).build(), o), UZ_OK);
    ASSERT_EQ(Rec().listed.size(), 1u);
    EXPECT_EQ(Rec().listed[0].name, LibraryText(L"\u00e9.txt"));
}

TEST_F(Dll, PasswordsAndBadCrc) {
    ZipItem secret;
    secret.name = "secret.txt";
    secret.data = "hidden";
    secret.password = "pw";
    Rec().passwords = {"wrong", "pw"};
    EXPECT_EQ(Run(ZipBuilder().add(secret).build()), UZ_OK) << Rec().printed;
    EXPECT_EQ(Rec().passwordEntries.size(), 2u);
    EXPECT_EQ(ReadFile(s / L"out/secret.txt"), "hidden");

    Rec() = Recorder{};
    fs::remove(s / L"out/secret.txt");
    EXPECT_EQ(Run(ZipBuilder().add(secret).build()), UZ_BAD_PASSWORD);
    EXPECT_FALSE(Rec().printed.empty());

    ZipItem bad;
    bad.name = "secret.txt";
    bad.data = "corrupt";
    bad.crc = 42;
    std::ofstream(s / L"out/secret.txt", std::ios::binary) << "precious";
    Rec() = Recorder{};
    EXPECT_EQ(Run(ZipBuilder().add(bad).build()), UZ_FORMAT_ERROR);
    EXPECT_FALSE(Rec().printed.empty());
    EXPECT_EQ(ReadFile(s / L"out/secret.txt"), "precious");
    EXPECT_EQ(Out().size(), 1u);  // no temporary file left behind
}

TEST_F(Dll, LinksBecomeFilesInsideAndAreRefusedOutside) {
    EXPECT_EQ(Run(ZipBuilder().add(LinkEntry("in", "sub/file")).add(LinkEntry("out", "../../x")).build()), UZ_WARNING);
    EXPECT_EQ(Out(), (std::map<std::string, std::string>{{"in", "sub/file"}}));
    EXPECT_NE(Rec().printed.find("outside the destination"), std::string::npos);
}

TEST_F(Dll, DosTimeIsLocalTime) {
    ZipItem item;
    item.name = "t.txt";
    item.dosDate = static_cast<uint16_t>(((2004 - 1980) << 9) | (5 << 5) | 7);
    item.dosTime = static_cast<uint16_t>((9 << 11) | (5 << 5) | (30 / 2));
    ASSERT_EQ(Run(ZipBuilder().add(item).build()), UZ_OK);
    const HANDLE h = CreateFileW((s / L"out/t.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME written;
    GetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    SYSTEMTIME utc, local;
    FileTimeToSystemTime(&written, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    EXPECT_EQ(local.wYear, 2004);
    EXPECT_EQ(local.wMonth, 5);
    EXPECT_EQ(local.wDay, 7);
    EXPECT_EQ(local.wHour, 9);
    EXPECT_EQ(local.wMinute, 5);
    EXPECT_EQ(local.wSecond, 30);
}

TEST_F(Dll, LineEndsBecomeCrLf) {
    UnzipOptionsRecord o = Call::InstallerOptions();
    o.ConvertCRtoCRLF = 1;
    EXPECT_EQ(Run(ZipBuilder().file("t.txt", "a\nb\r\nc\n").build(), o), UZ_OK);
    EXPECT_EQ(ReadFile(s / L"out/t.txt"), "a\r\nb\r\nc\r\n");
}

}  // namespace
}  // namespace uztest
