// unzip32.dll under Windows rules: wide-character names, long paths, device
// names, drive letters and streams refused, ANSI texts in the callbacks.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "unzip32.h"
#include "zip_builder.h"

namespace {

namespace fs = std::filesystem;
using uztest::ZipBuilder;
using uztest::ZipItem;

using VersionFn = int32_t(UZ_CALL*)(UnzipVersionRecord*);
using UnzipFn = int32_t(UZ_CALL*)(int32_t, char**, int32_t, char**, UnzipOptionsRecord*, UnzipCallbackRecord*);

struct Library {
    HMODULE module = nullptr;
    VersionFn version = nullptr;
    UnzipFn unzip = nullptr;
    Library() {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        const fs::path dll = fs::path(self).parent_path() / L"unzip32.dll";
        module = LoadLibraryW(dll.c_str());
        if (!module) return;
        version = reinterpret_cast<VersionFn>(reinterpret_cast<void*>(GetProcAddress(module, "UzpVersion2")));
        unzip = reinterpret_cast<UnzipFn>(reinterpret_cast<void*>(GetProcAddress(module, "Wiz_SingleEntryUnzip")));
    }
    ~Library() {
        if (module) FreeLibrary(module);
    }
};
Library& Lib() {
    static Library library;
    return library;
}

struct Recorder {
    std::string printed;
    std::vector<std::string> replaceAsked, listed, passwordEntries;
    std::vector<std::string> passwords;
    int32_t replaceAnswer = UZ_REPLACE_NO;
} rec;

int32_t UZ_CALL Print(const char* text, int32_t length) {
    rec.printed.append(text, static_cast<size_t>(length));
    return 0;
}
int32_t UZ_CALL Replace(char* name) {
    rec.replaceAsked.emplace_back(name);
    return rec.replaceAnswer;
}
int32_t UZ_CALL Password(char* buffer, int32_t size, const char*, const char* entry) {
    rec.passwordEntries.emplace_back(entry);
    if (rec.passwords.empty()) return 1;
    lstrcpynA(buffer, rec.passwords.front().c_str(), size);
    rec.passwords.erase(rec.passwords.begin());
    return 0;
}
void UZ_CALL Listing(int32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, int32_t,
                     const char* name, const char*, uint32_t, int32_t) {
    rec.listed.emplace_back(name);
}
int32_t UZ_CALL Service(const char*, int32_t) { return 0; }

std::string Ansi(const std::wstring& wide) {
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return out;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class Dll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(Lib().module, nullptr) << "unzip32.dll did not load";
        ASSERT_NE(Lib().unzip, nullptr) << "Wiz_SingleEntryUnzip is not exported undecorated";
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir = fs::path(temp) / (L"uz32test" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                std::to_wstring(counter++));
        fs::remove_all(dir);
        fs::create_directories(dir);
        rec = Recorder{};
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    int32_t Run(const std::string& zipBytes, UnzipOptionsRecord options = Defaults()) {
        std::ofstream(dir / L"a.zip", std::ios::binary) << zipBytes;
        const std::string zip = Ansi((dir / L"a.zip").wstring());
        const std::string out = Ansi((dir / L"out").wstring());
        options.ZipFileName = zip.c_str();
        options.ExtractDir = out.c_str();
        UnzipCallbackRecord callbacks{};
        callbacks.print = Print;
        callbacks.replace = Replace;
        callbacks.password = Password;
        callbacks.listing = Listing;
        callbacks.service = Service;
        UnzipNameList none{};
        return Lib().unzip(0, none, 0, none, &options, &callbacks);
    }
    static UnzipOptionsRecord Defaults() {
        UnzipOptionsRecord o{};
        o.MessageLevel = 2;
        o.HonorDirectories = 1;
        o.OverWriteFiles = 1;
        o.CaseSensitive = 1;
        return o;
    }
    std::map<std::wstring, std::string> Out() {
        std::map<std::wstring, std::string> tree;
        if (!fs::exists(dir / L"out")) return tree;
        for (const auto& item : fs::recursive_directory_iterator(dir / L"out")) {
            const std::wstring rel = item.path().lexically_relative(dir / L"out").generic_wstring();
            tree[item.is_directory() ? rel + L"/" : rel] = item.is_directory() ? "" : Read(item.path());
        }
        return tree;
    }
    fs::path dir;
    static inline int counter = 0;
};

TEST_F(Dll, VersionRecord) {
    UnzipVersionRecord v{};
    v.length = 64;
    EXPECT_EQ(Lib().version(&v), UZ_OK);
    EXPECT_EQ(std::string(v.zlibVersion).substr(0, 2), "1.");
    v.length = 10;
    EXPECT_EQ(Lib().version(&v), UZ_BAD_OPTIONS);
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
    EXPECT_EQ(r, UZ_OK) << rec.printed;
    EXPECT_EQ(Out(), (std::map<std::wstring, std::string>{{L"a/", ""},
                                                           {L"a/b/", ""},
                                                           {L"a/b/c.txt", "abc"},
                                                           {L"s.bin", big},
                                                           {L"\u65e5\u672c/", ""},
                                                           {L"\u65e5\u672c/\u00e9t\u00e9.txt", "wide"},
                                                           {L"caf\u00e9.txt", "oem"}}));
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
        << rec.printed;
    EXPECT_EQ(Out(), (std::map<std::wstring, std::string>{{L"deflated.bin", mixed}, {L"stored.bin", mixed}}));

    UnzipOptionsRecord convert = Defaults();
    convert.ConvertCRtoCRLF = 1;
    ASSERT_EQ(Run(ZipBuilder().file("notes.txt", text).build(), convert), UZ_OK) << rec.printed;
    EXPECT_EQ(Out()[L"notes.txt"], textCrLf);

    // A large entry whose CRC does not match leaves the file it would replace.
    ZipItem bad;
    bad.name = "deflated.bin";
    bad.data = mixed + "x";
    bad.crc = 0x12345678;
    EXPECT_NE(Run(ZipBuilder().add(bad).build()), UZ_OK);
    EXPECT_EQ(Out()[L"deflated.bin"], mixed);
    EXPECT_EQ(Out().size(), 3u) << "a temporary file was left behind";
}

TEST_F(Dll, LongPaths) {
    std::string name;
    for (int i = 0; i < 12; ++i) name += std::string(40, static_cast<char>('a' + i)) + "/";
    name += "leaf.txt";
    EXPECT_EQ(Run(ZipBuilder().file(name, "deep").build()), UZ_OK) << rec.printed;
    std::wstring wide = L"\\\\?\\" + (dir / L"out").wstring() + L"\\";
    for (char c : name) wide += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Dll, RefusesDevicesDrivesStreamsAndEscapes) {
    for (const char* name : {"CON", "nul.txt", "sub/COM1", "lpt1.log", "C:\\evil.txt", "c:evil.txt", "..\\evil.txt",
                             "a\\..\\..\\evil.txt", "\\\\server\\share\\evil.txt", "/evil.txt", "file.txt:stream"}) {
        rec = Recorder{};
        const int32_t r = Run(ZipBuilder().file(name, "evil").file("good.txt", "good").build());
        EXPECT_EQ(r, UZ_WARNING) << name;
        EXPECT_NE(rec.printed.find("refused"), std::string::npos) << name;
        EXPECT_EQ(Out(), (std::map<std::wstring, std::string>{{L"good.txt", "good"}})) << name;
        EXPECT_FALSE(fs::exists(dir / L"evil.txt"));
        fs::remove_all(dir / L"out");
    }
}

TEST_F(Dll, AnsiNamesInCallbacksAndPrompt) {
    ZipItem item;
    item.name = "\xc3\xa9.txt";
    item.flags = 1 << 11;
    item.data = "new";
    fs::create_directories(dir / L"out");
    std::ofstream(dir / L"out" / L"\u00e9.txt", std::ios::binary) << "old";
    UnzipOptionsRecord o = Defaults();
    o.PromptOverwrite = 1;
    EXPECT_EQ(Run(ZipBuilder().add(item).build(), o), UZ_OK);
    ASSERT_EQ(rec.replaceAsked.size(), 1u);
    EXPECT_EQ(rec.replaceAsked[0], Ansi((dir / L"out" / L"\u00e9.txt").wstring()));
    EXPECT_EQ(Read(dir / L"out" / L"\u00e9.txt"), "old");
    o.ExtractList = 1;
    EXPECT_EQ(Run(ZipBuilder().add(item).build(), o), UZ_OK);
    ASSERT_EQ(rec.listed.size(), 1u);
    EXPECT_EQ(rec.listed[0], Ansi(L"\u00e9.txt"));
}

TEST_F(Dll, PasswordsAndBadCrc) {
    ZipItem secret;
    secret.name = "secret.txt";
    secret.data = "hidden";
    secret.password = "pw";
    rec.passwords = {"wrong", "pw"};
    EXPECT_EQ(Run(ZipBuilder().add(secret).build()), UZ_OK) << rec.printed;
    EXPECT_EQ(rec.passwordEntries.size(), 2u);
    EXPECT_EQ(Read(dir / L"out/secret.txt"), "hidden");

    rec = Recorder{};
    fs::remove(dir / L"out/secret.txt");
    EXPECT_EQ(Run(ZipBuilder().add(secret).build()), UZ_BAD_PASSWORD);
    EXPECT_FALSE(rec.printed.empty());

    ZipItem bad;
    bad.name = "secret.txt";
    bad.data = "corrupt";
    bad.crc = 42;
    std::ofstream(dir / L"out/secret.txt", std::ios::binary) << "precious";
    rec = Recorder{};
    EXPECT_EQ(Run(ZipBuilder().add(bad).build()), UZ_FORMAT_ERROR);
    EXPECT_FALSE(rec.printed.empty());
    EXPECT_EQ(Read(dir / L"out/secret.txt"), "precious");
    EXPECT_EQ(Out().size(), 1u);  // no temporary file left behind
}

TEST_F(Dll, LinksBecomeFilesInsideAndAreRefusedOutside) {
    const auto link = [](const char* name, const char* target) {
        ZipItem item;
        item.name = name;
        item.data = target;
        item.method = 0;
        item.externalAttributes = 0120777u << 16;
        return item;
    };
    EXPECT_EQ(Run(ZipBuilder().add(link("in", "sub/file")).add(link("out", "../../x")).build()), UZ_WARNING);
    EXPECT_EQ(Out(), (std::map<std::wstring, std::string>{{L"in", "sub/file"}}));
    EXPECT_NE(rec.printed.find("outside the destination"), std::string::npos);
}

TEST_F(Dll, DosTimeIsLocalTime) {
    ZipItem item;
    item.name = "t.txt";
    item.dosDate = static_cast<uint16_t>(((2004 - 1980) << 9) | (5 << 5) | 7);
    item.dosTime = static_cast<uint16_t>((9 << 11) | (5 << 5) | (30 / 2));
    ASSERT_EQ(Run(ZipBuilder().add(item).build()), UZ_OK);
    const HANDLE h = CreateFileW((dir / L"out/t.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
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
    UnzipOptionsRecord o = Defaults();
    o.ConvertCRtoCRLF = 1;
    EXPECT_EQ(Run(ZipBuilder().file("t.txt", "a\nb\r\nc\n").build(), o), UZ_OK);
    EXPECT_EQ(Read(dir / L"out/t.txt"), "a\r\nb\r\nc\r\n");
}

}  // namespace
