// Real archives made at test time by python3 zipfile, bsdtar and 7z, extracted
// through the library and compared byte for byte with python3 zipfile's own
// extraction.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>

#include "archive_tools.h"
#include "zip_builder.h"

namespace uztest {
namespace {

// Mixed content: text, binary, empty, nested, an empty folder, blanks and
// non-ASCII in names.
const char* const kSampleTree = R"PY(
import os, random, sys
root = sys.argv[1]
random.seed(7)
def put(rel, data):
    p = os.path.join(root, rel)
    os.makedirs(os.path.dirname(p), exist_ok=True)
    with open(p, 'wb') as f: f.write(data)
put('readme.txt', b'Hello, world.\r\nSecond line\r\n' * 50)
put('bin/tool.bin', bytes(random.getrandbits(8) for _ in range(70000)))
put('bin/zeros.dat', bytes(300000))
put('empty.txt', b'')
put('deep/a/b/c/d/leaf.txt', b'leaf\n')
put('with space/na\u00efve caf\u00e9.txt'.encode('utf-8').decode('utf-8'), b'unicode\n')
put('\u65e5\u672c/\u8a9e.txt', b'cjk\n')
os.makedirs(os.path.join(root, 'empty dir'), exist_ok=True)
)PY";

struct Maker {
    const char* label;
    const char* tool;     // needed on PATH
    const char* command;  // {src} the tree, {zip} the archive
};
// Test names show the label, not the bytes.
void PrintTo(const Maker& c, std::ostream* os) { *os << c.label; }

const Maker kMakers[] = {
    {"python_deflated", "python3",
     "python3 -c \"import zipfile,os,sys; z=zipfile.ZipFile('{zip}','w',zipfile.ZIP_DEFLATED)\n"
     "for r,ds,fs in os.walk('{src}'):\n"
     " for d in ds: z.write(os.path.join(r,d), os.path.relpath(os.path.join(r,d),'{src}'))\n"
     " for f in fs: z.write(os.path.join(r,f), os.path.relpath(os.path.join(r,f),'{src}'))\n\""},
    {"python_stored_zip64", "python3",
     "python3 -c \"import zipfile,os; z=zipfile.ZipFile('{zip}','w',zipfile.ZIP_STORED)\n"
     "for r,ds,fs in os.walk('{src}'):\n"
     " for f in fs:\n"
     "  p=os.path.join(r,f); i=zipfile.ZipInfo.from_file(p, os.path.relpath(p,'{src}'))\n"
     "  w=z.open(i,'w',force_zip64=True); w.write(open(p,'rb').read()); w.close()\n\""},
    {"python_streamed_descriptors", "python3",
     "python3 -c \"import zipfile,os,io\n"
     "class S(io.RawIOBase):\n"
     " def __init__(s,f): s.f=f\n"
     " def writable(s): return True\n"
     " def write(s,b): return s.f.write(b)\n"
     " def seekable(s): return False\n"
     "out=open('{zip}','wb'); z=zipfile.ZipFile(S(out),'w',zipfile.ZIP_DEFLATED)\n"
     "for r,ds,fs in os.walk('{src}'):\n"
     " for f in fs:\n"
     "  p=os.path.join(r,f); z.write(p, os.path.relpath(p,'{src}'))\n"
     "z.close(); out.close()\n\""},
    {"bsdtar_deflated", "bsdtar", "cd '{src}' && bsdtar --format zip -cf '{zip}' ."},
    {"bsdtar_stored", "bsdtar", "cd '{src}' && bsdtar --format zip --options zip:compression=store -cf '{zip}' ."},
    {"7z_deflated", "7z", "cd '{src}' && 7z a -tzip -bd -bso0 '{zip}' . >/dev/null"},
    {"7z_stored", "7z", "cd '{src}' && 7z a -tzip -mx=0 -bd -bso0 '{zip}' . >/dev/null"},
};

std::string Fill(std::string command, const fs::path& src, const fs::path& zip) {
    for (auto [key, value] : {std::pair{"{src}", src.string()}, std::pair{"{zip}", zip.string()}}) {
        for (size_t at; (at = command.find(key)) != std::string::npos;) command.replace(at, std::strlen(key), value);
    }
    return command;
}

class RealArchives : public ::testing::TestWithParam<Maker> {};

TEST_P(RealArchives, ExtractLikePythonZipfile) {
    const Maker& maker = GetParam();
    if (!HaveTool(maker.tool)) GTEST_SKIP() << maker.tool << " is not installed";
    Scratch s;
    WriteFile(s / "tree.py", kSampleTree);
    ASSERT_EQ(Shell("python3 '" + (s / "tree.py").string() + "' '" + (s / "src").string() + "'"), 0);
    ASSERT_EQ(Shell(Fill(maker.command, s / "src", s / "a.zip")), 0);
    PythonExtract(s / "a.zip", s / "ref");

    Call call(s / "a.zip", s / "out");
    EXPECT_EQ(call.run(), UZ_OK) << Rec().printed;
    const auto ours = Tree(s / "out");
    const auto ref = Tree(s / "ref");
    EXPECT_EQ(ours.size(), ref.size());
    for (const auto& [name, content] : ref) {
        auto it = ours.find(name);
        if (it == ours.end()) {
            ADD_FAILURE() << "missing " << name;
            continue;
        }
        EXPECT_TRUE(it->second == content) << name << " differs";
    }
    // The same archive behind a self-extracting stub and with bytes after it.
    const std::string zip = ReadFile(s / "a.zip");
    WriteFile(s / "sfx.zip", std::string(5000, 'M') + zip + "trailing junk");
    Call sfx(s / "sfx.zip", s / "sfx");
    EXPECT_EQ(sfx.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(Tree(s / "sfx"), ours);
}

INSTANTIATE_TEST_SUITE_P(Makers, RealArchives, ::testing::ValuesIn(kMakers),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(Extract, DestinationCreatedWithEveryLevelAndPrintsOnlyWithLf) {
    Scratch s;
    WriteFile(s / "a.zip", ZipBuilder().file("x/y.txt", "data").build("archive comment"));
    Call call(s / "a.zip", s / "new/level/two");
    call.options.MessageLevel = 0;
    call.options.DisplayComment = 1;
    ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(ReadFile(s / "new/level/two/x/y.txt"), "data");
    EXPECT_NE(Rec().printed.find("archive comment\n"), std::string::npos);
    for (const auto& piece : Rec().prints) {
        EXPECT_FALSE(piece.empty());
        EXPECT_EQ(piece.back(), '\n') << piece;
        EXPECT_TRUE(piece[0] != '\n' || piece == "\n") << piece;
        EXPECT_LT(piece.size(), 32800u);
    }
}

TEST(Extract, EmptyDestinationMeansCurrentFolder) {
    Scratch s;
    WriteFile(s / "a.zip", ZipBuilder().file("here.txt", "x").build());
    const fs::path before = fs::current_path();
    fs::current_path(s.path());
    Call call(s / "a.zip", "");
    const int32_t result = call.run();
    fs::current_path(before);
    EXPECT_EQ(result, UZ_OK) << Rec().printed;
    EXPECT_EQ(ReadFile(s / "here.txt"), "x");
}

TEST(Extract, NamesCp437UnicodePathFieldAndUtf8Flag) {
    Scratch s;
    ZipItem cp437;
    cp437.name = "caf\x82.txt";  // 0x82 is e-acute in code page 437
    cp437.data = "1";
    ZipItem utf8;
    utf8.name = "\xc3\xbc.txt";  // u-umlaut, flagged as UTF-8
    utf8.flags = 1 << 11;
    utf8.data = "2";
    ZipItem unicodeField;
    unicodeField.name = "old.txt";
    const std::string real = "\xe6\x97\xa5.txt";
    std::string field;
    field += '\x01';
    Put32(field, Crc("old.txt"));
    field += real;
    Put16(unicodeField.centralExtra, 0x7075);
    Put16(unicodeField.centralExtra, static_cast<uint32_t>(field.size()));
    unicodeField.centralExtra += field;
    unicodeField.data = "3";
    WriteFile(s / "a.zip", ZipBuilder().add(cp437).add(utf8).add(unicodeField).build());
    Call call(s / "a.zip", s / "out");
    ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
    EXPECT_EQ(ReadFile(s / "out" / "caf\xc3\xa9.txt"), "1");
    EXPECT_EQ(ReadFile(s / "out" / "\xc3\xbc.txt"), "2");
    EXPECT_EQ(ReadFile(s / "out" / real), "3");
}

TEST(Extract, TimestampsDosLocalTimeAndExtendedField) {
    Scratch s;
    ZipItem dos;
    dos.name = "dos.txt";
    dos.dosDate = static_cast<uint16_t>(((2004 - 1980) << 9) | (5 << 5) | 7);
    dos.dosTime = static_cast<uint16_t>((9 << 11) | (5 << 5) | (30 / 2));
    ZipItem ut;
    ut.name = "ut.txt";
    Put16(ut.centralExtra, 0x5455);
    Put16(ut.centralExtra, 5);
    ut.centralExtra += '\x01';
    Put32(ut.centralExtra, 1234567891);
    WriteFile(s / "a.zip", ZipBuilder().add(dos).add(ut).build());
    Call call(s / "a.zip", s / "out");
    ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
    struct tm local {};
    local.tm_year = 104, local.tm_mon = 4, local.tm_mday = 7, local.tm_hour = 9, local.tm_min = 5, local.tm_sec = 30;
    local.tm_isdst = -1;
    struct stat st;
    ASSERT_EQ(stat((s / "out/dos.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, mktime(&local));
    ASSERT_EQ(stat((s / "out/ut.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1234567891);
}

TEST(Extract, NtfsTimeField) {
    Scratch s;
    ZipItem ntfs;
    ntfs.name = "ntfs.txt";
    const uint64_t ticks = (1500000000ULL + 11644473600ULL) * 10000000ULL;
    Put16(ntfs.centralExtra, 0x000a);
    Put16(ntfs.centralExtra, 32);
    Put32(ntfs.centralExtra, 0);
    Put16(ntfs.centralExtra, 1);
    Put16(ntfs.centralExtra, 24);
    for (int i = 0; i < 3; ++i) Put64(ntfs.centralExtra, ticks);
    WriteFile(s / "a.zip", ZipBuilder().add(ntfs).build());
    Call call(s / "a.zip", s / "out");
    ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
    struct stat st;
    ASSERT_EQ(stat((s / "out/ntfs.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1500000000);
}

TEST(Extract, UnixPermissionsAndPrivilege) {
    Scratch s;
    ZipItem exec;
    exec.name = "run.sh";
    exec.externalAttributes = 0104755u << 16;  // setuid bit included
    ZipItem dos;
    dos.name = "plain.txt";
    dos.versionMadeBy = 0x0014;  // MS-DOS host: no Unix mode
    dos.externalAttributes = 0x20;
    WriteFile(s / "a.zip", ZipBuilder().add(exec).add(dos).build());
    const mode_t old = umask(022);
    Call call(s / "a.zip", s / "out");
    EXPECT_EQ(call.run(), UZ_OK);
    Call privileged(s / "a.zip", s / "priv");
    privileged.options.Privilege = 1;
    EXPECT_EQ(privileged.run(), UZ_OK);
    umask(old);
    struct stat st;
    ASSERT_EQ(stat((s / "out/run.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    ASSERT_EQ(stat((s / "out/plain.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    ASSERT_EQ(stat((s / "priv/run.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 04755u);
}

TEST(Extract, LargeEntryStreamsThroughFixedBuffers) {
    // 64 MiB of compressible data: extracted without holding it in memory.
    Scratch s;
    RunPython("import zipfile\nz=zipfile.ZipFile(r'" + (s / "big.zip").string() +
              "','w',zipfile.ZIP_DEFLATED)\nw=z.open('big.bin','w',force_zip64=True)\n"
              "for i in range(1024): w.write(bytes([i % 251]) * 65536)\nw.close(); z.close()\n");
    Call call(s / "big.zip", s / "out");
    ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
    const std::string out = ReadFile(s / "out/big.bin");
    ASSERT_EQ(out.size(), 64u << 20);
    for (size_t i = 0; i < 1024; ++i)
        ASSERT_EQ(out.find_first_not_of(static_cast<char>(i % 251), i << 16), i + 1 < 1024 ? (i + 1) << 16 : std::string::npos) << i;
}

TEST(Extract, LargeEntriesWrittenWhileInflating) {
    // Entries large enough to be written on a second thread: stored,
    // deflated, and text with its line ends converted across the chunks.
    Scratch s;
    const std::string mixed = MixedData(3 << 20);
    std::string text, converted;
    for (int i = 0; text.size() < (3u << 20); ++i) {
        text += "line " + std::to_string(i) + "\r\n";
        converted += "line " + std::to_string(i) + "\n";
    }
    WriteFile(s / "a.zip", ZipBuilder()
                               .file("stored.bin", mixed, 0)
                               .file("deflated.bin", mixed)
                               .file("small.txt", "a\r\nb")
                               .file("text.txt", text)
                               .build());
    for (const int32_t convert : {0, 1}) {
        Call call(s / "a.zip", s / ("out" + std::to_string(convert)));
        call.options.ConvertCRtoCRLF = convert;
        ASSERT_EQ(call.run(), UZ_OK) << Rec().printed;
        const auto tree = Tree(s / ("out" + std::to_string(convert)));
        ASSERT_EQ(tree.size(), 4u);
        EXPECT_TRUE(tree.at("stored.bin") == mixed);
        EXPECT_TRUE(tree.at("deflated.bin") == mixed);
        EXPECT_EQ(tree.at("small.txt"), convert ? "a\nb" : "a\r\nb");
        EXPECT_TRUE(tree.at("text.txt") == (convert ? converted : text));
    }
}

TEST(Extract, AnEntryNotPutInPlaceLeavesNoFolderMadeForIt) {
    ZipItem badCrc = DosItem("d/bad", "data");
    badCrc.crc = 1;
    ZipItem tooLong = badCrc;  // refused before its data is read: no CRC error
    tooLong.name = "long/" + std::string(300, 'n');
    struct Case {
        const char* label;
        std::vector<ZipItem> items;
        int32_t result;
        std::map<std::string, std::string> expect;
        bool freshen = false;
    };
    const Case cases[] = {
        {"password cancelled", {DosItem("new/dir/one", "1", "secret")}, UZ_BAD_PASSWORD, {}},
        {"name too long", {tooLong}, UZ_WARNING, {}},
        {"temporary file's name", {DosItem("sub/.unzip32-0123456789abcdef.tmp", "x")}, UZ_WARNING, {}},
        {"not there to freshen", {DosItem("new/f", "x")}, UZ_OK, {}, true},
        {"CRC error", {badCrc}, UZ_FORMAT_ERROR, {}},
        {"folder a later entry needs", {badCrc, DosItem("d/good", "g")}, UZ_FORMAT_ERROR, {{"d/", ""}, {"d/good", "g"}}},
        {"folder entry of its own", {DosItem("d/"), badCrc}, UZ_FORMAT_ERROR, {{"d/", ""}}},
    };
    for (const Case& c : cases) {
        Scratch s;
        ZipBuilder zip;
        for (const auto& item : c.items) zip.add(item);
        WriteFile(s / "a.zip", zip.build());
        Call call(s / "a.zip", s / "out");
        call.options.ExtractOnlyNewer = c.freshen;
        EXPECT_EQ(call.run(), c.result) << c.label << "\n" << Rec().printed;
        EXPECT_EQ(Tree(s / "out"), c.expect) << c.label;
    }
}

}  // namespace
}  // namespace uztest
