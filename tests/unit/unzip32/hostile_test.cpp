// Hostile and damaged archives: nothing is ever written outside the
// destination, whatever the result, and every failure is printed.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include "hostile_archives.h"
#include "unzip_harness.h"
#include "zip_builder.h"

namespace uztest {
namespace {

// Everything below the scratch folder except the archive and the destination.
std::map<std::string, std::string> Outside(const Scratch& s) {
    auto tree = Tree(s.path());
    for (auto it = tree.begin(); it != tree.end();) {
        if (it->first == "a.zip" || it->first.rfind("dest/", 0) == 0) it = tree.erase(it);
        else ++it;
    }
    return tree;
}

const char* const kEscapingNames[] = {
    "/abs.txt", "../up.txt", "a/../../up2.txt", "..\\win.txt", "a\\..\\..\\win2.txt", "C:\\drive.txt",
    "C:drive2.txt", "\\\\server\\share\\unc.txt", "//server/share/unc2.txt", "./../dot.txt", "a/b/../../../deep.txt",
};

TEST(Hostile, EscapingNamesAreRefusedOthersExtracted) {
    for (const char* name : kEscapingNames) {
        Scratch s;
        ExpectRefusedBesideGood(name, s / "a.zip", s / "dest/out");
        EXPECT_TRUE(Outside(s).empty()) << name;
    }
}

TEST(Hostile, LinksStayInsideAndTheLaterEntryWins) {
    struct Case {
        std::vector<ZipItem> items;
        std::map<std::string, std::string> expect;  // the destination afterwards
        bool keepExisting = false;
    };
    ZipItem fileInSub;
    fileInSub.name = "sub/file";
    fileInSub.data = "f";
    ZipItem throughLink;
    throughLink.name = "d/evil";
    throughLink.data = "e";
    const Case cases[] = {
        {{LinkEntry("abs", "/etc")}, {}},
        {{LinkEntry("up", "../x")}, {}},
        {{LinkEntry("sub/up", "../../x")}, {}},  // nor is its folder left
        {{LinkEntry("mid", "sub/../../x")}, {}},
        // A link to a shallower place, then a link below it: the folder is made
        // for real first, so "s/x" resolves below the destination and "s" is not made.
        {{LinkEntry("s", "."), LinkEntry("s/x", "../out")}, {{"s/", ""}, {"s/x", "-> ../out"}}},
        // Links are made last, so no entry is written through one.
        {{LinkEntry("d", "sub"), fileInSub, throughLink}, {{"sub/", ""}, {"sub/file", "f"}, {"d/", ""}, {"d/evil", "e"}}},
        {{fileInSub, LinkEntry("ok", "sub/file"), LinkEntry("sub/up", "../sub/file")},
         {{"sub/", ""}, {"sub/file", "f"}, {"ok", "-> sub/file"}, {"sub/up", "-> ../sub/file"}}},
        // A link waits for the end of the run, yet a later entry replaces it
        // as it would a file, or leaves it when files are kept.
        {{LinkEntry("x", "sub/file"), DosItem("x", "later")}, {{"x", "later"}}},
        {{DosItem("x", "earlier"), LinkEntry("x", "sub/file")}, {{"x", "-> sub/file"}}},
        {{LinkEntry("x", "a"), LinkEntry("x", "b")}, {{"x", "-> b"}}},
        {{LinkEntry("x", "sub/file"), DosItem("x", "later")}, {{"x", "-> sub/file"}}, true},
    };
    int n = 0;
    for (const Case& c : cases) {
        Scratch s;
        fs::create_directories(s / "dest/out");
        ZipBuilder zip;
        for (const auto& item : c.items) zip.add(item);
        WriteFile(s / "a.zip", zip.build());
        Call call(s / "a.zip", s / "dest/out");
        call.options.OverWriteFiles = !c.keepExisting;
        call.run();
        EXPECT_TRUE(Outside(s).empty()) << n;
        EXPECT_EQ(Tree(s / "dest/out"), c.expect) << n << "\n" << Rec().printed;
        ++n;
    }
}

TEST(Hostile, OverlappingEntriesCannotAmplify) {
    Scratch s;
    ZipItem real;
    real.name = "one";
    real.data = std::string(100000, 'x');
    ZipItem again = real;  // a second directory record for the same local header
    again.name = "two";
    again.offset = 0;
    again.writeLocal = false;
    WriteFile(s / "a.zip", ZipBuilder().add(real).add(again).build());
    Call call(s / "a.zip", s / "dest");
    EXPECT_EQ(call.run(), UZ_FORMAT_ERROR);
    EXPECT_EQ(Tree(s / "dest"), (std::map<std::string, std::string>{{"one", real.data}}));
    EXPECT_NE(Rec().printed.find("two"), std::string::npos);
}

TEST(Hostile, OutputNeverExceedsDeclaredSize) {
    Scratch s;
    ZipItem bomb;
    bomb.name = "bomb";
    bomb.data = std::string(10 << 20, '\0');
    bomb.declaredSize = 1000;
    fs::create_directories(s / "dest");
    WriteFile(s / "dest/bomb", "precious");
    WriteFile(s / "a.zip", ZipBuilder().add(bomb).build());
    Call call(s / "a.zip", s / "dest");
    EXPECT_EQ(call.run(), UZ_FORMAT_ERROR);
    EXPECT_EQ(Tree(s / "dest"), (std::map<std::string, std::string>{{"bomb", "precious"}}));
}

// Damaged archives: result, and the file that stood at the target survives.
struct Damage {
    const char* label;
    std::string (*make)();
    int32_t result;
};
// Test names show the label, not the bytes.
void PrintTo(const Damage& c, std::ostream* os) { *os << c.label; }

std::string BadCrc() {
    ZipItem item;
    item.name = "f";
    item.data = "new content";
    item.crc = 1234;
    return ZipBuilder().add(item).build();
}
std::string Truncated() {
    const std::string zip = ZipBuilder().file("f", std::string(5000, 'a')).file("g", "b").build();
    return zip.substr(0, zip.size() / 2);
}
std::string CorruptDeflate() {
    std::string zip = ZipBuilder().file("f", std::string(5000, 'a') + "tail").build();
    const size_t data = kLocalHeaderSize + 1;  // after the name "f"
    zip[data] = '\xff';
    zip[data + 1] = '\xff';
    return zip;
}
std::string ShortData() {
    ZipItem item;
    item.name = "f";
    item.data = "abc";
    item.declaredSize = 10;
    return ZipBuilder().add(item).build();
}
std::string DirectoryBeyondEnd() {
    std::string zip = ZipBuilder().file("f", "abc").build();
    Patch32(zip, zip.size() - kEndOfDirSize + kEndDirectoryOffsetOffset, 0x7f);  // past the end of the file
    return zip;
}
std::string HugeEntryCount() {
    std::string zip = ZipBuilder().file("f", "abc").build();
    const size_t end = zip.size() - kEndOfDirSize;
    Patch16(zip, end + kEndEntriesOnDiskOffset, 0x30);
    Patch16(zip, end + kEndEntriesOffset, 0x30);
    return zip;
}
std::string Bzip2() {
    ZipItem item;
    item.name = "f";
    item.data = "whatever";
    item.method = 12;
    return ZipBuilder().add(item).build();
}
std::string Aes() {
    ZipItem item;
    item.name = "f";
    item.data = "whatever";
    item.method = 99;
    item.flags = 1;
    return ZipBuilder().add(item).build();
}
// Damage to entries large enough to be written on a second thread.
std::string LargeBadCrc(uint16_t method) {
    ZipItem item;
    item.name = "f";
    item.data = MixedData(3 << 20);
    item.method = method;
    item.crc = Crc(item.data) ^ 1;
    return ZipBuilder().add(item).build();
}
std::string LargeBadCrcDeflated() { return LargeBadCrc(8); }
std::string LargeBadCrcStored() { return LargeBadCrc(0); }
std::string LargeCorruptDeflate() {
    std::string zip = ZipBuilder().file("f", MixedData(3 << 20)).build();
    zip.replace(zip.size() / 2, 64, std::string(64, '\xff'));
    return zip;
}
std::string LargeDeclaredSize(uint64_t declared) {
    ZipItem item;
    item.name = "f";
    item.data = MixedData(3 << 20);
    item.declaredSize = declared;
    return ZipBuilder().add(item).build();
}
std::string LargeTooLong() { return LargeDeclaredSize(2 << 20); }
std::string LargeTooShort() { return LargeDeclaredSize(4 << 20); }
std::string NotZip() { return std::string(1000, 'z'); }
std::string Empty() { return {}; }

const Damage kDamages[] = {
    {"BadCrc", BadCrc, UZ_FORMAT_ERROR},
    {"Truncated", Truncated, UZ_NOT_FOUND},
    {"CorruptDeflate", CorruptDeflate, UZ_FORMAT_ERROR},
    {"ShortData", ShortData, UZ_FORMAT_ERROR},
    {"DirectoryBeyondEnd", DirectoryBeyondEnd, UZ_UNEXPECTED_END},
    {"HugeEntryCount", HugeEntryCount, UZ_SEVERE_ERROR},
    {"Bzip2", Bzip2, UZ_UNSUPPORTED},
    {"Aes", Aes, UZ_UNSUPPORTED},
    {"LargeBadCrcDeflated", LargeBadCrcDeflated, UZ_FORMAT_ERROR},
    {"LargeBadCrcStored", LargeBadCrcStored, UZ_FORMAT_ERROR},
    {"LargeCorruptDeflate", LargeCorruptDeflate, UZ_FORMAT_ERROR},
    {"LargeTooLong", LargeTooLong, UZ_FORMAT_ERROR},
    {"LargeTooShort", LargeTooShort, UZ_FORMAT_ERROR},
    {"NotZip", NotZip, UZ_NOT_FOUND},
    {"EmptyFile", Empty, UZ_NOT_FOUND},
};

class Damaged : public ::testing::TestWithParam<Damage> {};

TEST_P(Damaged, ResultMessageAtEveryLevelAndTargetKept) {
    const Damage& d = GetParam();
    Scratch s;
    WriteFile(s / "a.zip", d.make());
    for (int32_t level : {0, 1, 2}) {
        fs::create_directories(s / "dest");
        WriteFile(s / "dest/f", "precious");
        Call call(s / "a.zip", s / "dest");
        call.options.MessageLevel = level;
        EXPECT_EQ(call.run(), d.result) << "level " << level;
        EXPECT_FALSE(Rec().printed.empty()) << "level " << level;
        EXPECT_EQ(Tree(s / "dest"), (std::map<std::string, std::string>{{"f", "precious"}})) << Rec().printed;
        Call test(s / "a.zip", s / "dest");
        test.options.TestZip = 1;
        test.options.MessageLevel = level;
        EXPECT_EQ(test.run(), d.result);
        EXPECT_FALSE(Rec().printed.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(All, Damaged, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.label); });

// The end record's count against the records its directory's size holds:
// records beyond a count too low are read all the same and the disagreement
// is said; a count too high is damage.
TEST(Hostile, EntryCountDisagreeingWithTheDirectory) {
    struct Case {
        uint16_t count;
        int32_t result;
        const char* printed;
        size_t files;  // extracted
    };
    const Case kCases[] = {
        {3, UZ_WARNING, "counts 3 entries, but the directory holds 4; all of them are read", 4},
        {0, UZ_WARNING, "counts 0 entries, but the directory holds 4", 4},
        {4, UZ_OK, "", 4},
        {5, UZ_SEVERE_ERROR, "is damaged: the end of the central directory counts 5 entries, but the directory holds 4",
         0},
    };
    ZipBuilder four;
    for (const char* name : {"first-file.txt", "second-file.txt", "third-file.txt", "unzip32.dll"})
        four.file(name, name);
    for (const Case& c : kCases) {
        Scratch s;
        std::string zip = four.build();
        Patch16(zip, zip.size() - kEndOfDirSize + kEndEntriesOnDiskOffset, c.count);
        Patch16(zip, zip.size() - kEndOfDirSize + kEndEntriesOffset, c.count);
        WriteFile(s / "a.zip", zip);
        for (const bool test : {false, true}) {
            Call call(s / "a.zip", s / "dest");
            call.options.TestZip = test;
            EXPECT_EQ(call.run(), c.result) << c.count;
            EXPECT_NE(Rec().printed.find(c.printed), std::string::npos) << c.count << ": " << Rec().printed;
        }
        EXPECT_EQ(Tree(s / "dest").size(), c.files) << c.count;
    }
    // Without Zip64 the count of an archive of more than 65535 entries wraps
    // around in its 16-bit field: that is no disagreement.
    ZipBuilder many;
    for (int i = 0; i < 0x10001; ++i) many.file(std::to_string(i), "", 0);
    Scratch s;
    WriteFile(s / "a.zip", many.build());
    Call list(s / "a.zip", s / "dest");
    list.options.ExtractList = 1;
    EXPECT_EQ(list.run(), UZ_OK) << Rec().printed.substr(0, 300);
    EXPECT_EQ(Rec().listed.size(), 0x10001u);
}

TEST(Hostile, MissingArchive) {
    Scratch s;
    Call call(s / "absent.zip", s / "dest");
    EXPECT_EQ(call.run(), UZ_NOT_FOUND);
    EXPECT_NE(Rec().printed.find("absent.zip"), std::string::npos);
}

TEST(Hostile, UnsupportedEntryBesideGoodOnes) {
    Scratch s;
    ZipItem bz;
    bz.name = "b.bz2";
    bz.method = 12;
    WriteFile(s / "a.zip", ZipBuilder().add(bz).file("ok", "1").build());
    Call call(s / "a.zip", s / "dest");
    EXPECT_EQ(call.run(), UZ_UNSUPPORTED);
    EXPECT_EQ(Tree(s / "dest"), (std::map<std::string, std::string>{{"ok", "1"}}));
    EXPECT_NE(Rec().printed.find("not supported"), std::string::npos);
}

TEST(Hostile, DiskFullEndsTheRunAndLeavesNoPartialFile) {
    std::string random;
    for (int i = 0; i < (4 << 20); ++i) random += static_cast<char>((i * 2654435761u) >> 24);
    struct Case {
        const char* label;
        const char* mount;  // the small file system's options
        ZipItem entry;      // between "small.txt" and "after"
    };
    const Case cases[] = {
        {"file written on this thread", "size=256k", DosItem("big.bin", random.substr(0, 600000))},
        {"file written on a second thread", "size=256k", DosItem("big.bin", random)},
        // Three inodes: the file system's root, the destination and small.txt.
        {"folder entry", "size=256k,nr_inodes=3", DosItem("sub/")},
        {"a file's folder", "size=256k,nr_inodes=3", DosItem("sub/f", "x")},
    };
    for (const Case& c : cases) {
        Scratch s;
        fs::create_directories(s / "small");
        if (mount("tmpfs", (s / "small").c_str(), "tmpfs", 0, c.mount) != 0)
            GTEST_SKIP() << "cannot mount a small file system here";
        WriteFile(s / "a.zip", ZipBuilder().file("small.txt", "fits").add(c.entry).file("after", "x").build());
        Call call(s / "a.zip", s / "small/dest");
        const int32_t result = call.run();
        const auto tree = Tree(s / "small/dest");
        umount((s / "small").c_str());
        EXPECT_EQ(result, UZ_DISK_FULL) << c.label;
        EXPECT_EQ(tree, (std::map<std::string, std::string>{{"small.txt", "fits"}})) << c.label;
        EXPECT_NE(Rec().printed.find("disk full"), std::string::npos) << c.label;
        EXPECT_EQ(Rec().printed.find("after"), std::string::npos) << c.label << ": the run went on\n" << Rec().printed;
    }
}

// Zip64 values are whatever the archive says, up to 2^64 - 1: no sum of them
// may wrap past a check or into a figure.
constexpr size_t kEndRecordSize = 22;
constexpr size_t kEndEntriesAt = 10, kEndDirectorySizeAt = 12, kEndDirectoryOffsetAt = 16;
constexpr size_t kCentralCompressedSizeAt = 20;
constexpr uint32_t kMarker32 = 0xFFFFFFFF;

uint64_t Get(const std::string& bytes, size_t at, size_t n) {
    uint64_t v = 0;
    for (size_t i = n; i-- > 0;) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

// Stored entries "f" and "g"; the directory takes f's sizes and local header
// offset from its Zip64 field. `prefix` goes before the archive.
std::string Zip64Entry(uint64_t size, uint64_t compressed, uint64_t offset, const std::string& prefix = {}) {
    ZipItem f = DosItem("f", "data");
    f.declaredSize = kMarker32;
    f.offset = kMarker32;
    Put16(f.centralExtra, 0x0001);
    Put16(f.centralExtra, 24);
    for (const uint64_t value : {size, compressed, offset}) Put64(f.centralExtra, value);
    std::string zip = ZipBuilder().add(f).add(DosItem("g", "data")).build({}, prefix);
    const size_t central = prefix.size() + Get(zip, zip.size() - kEndRecordSize + kEndDirectoryOffsetAt, 4);
    zip.replace(central + kCentralCompressedSizeAt, 4, std::string(4, '\xff'));
    return zip;
}

// A plain archive whose end record defers to a Zip64 end record (and its
// locator) that puts the directory at `directoryOffset`.
std::string Zip64End(uint64_t directoryOffset) {
    const std::string zip = ZipBuilder().add(DosItem("f", "data")).build();
    const size_t end = zip.size() - kEndRecordSize;
    const uint64_t entries = Get(zip, end + kEndEntriesAt, 2);
    std::string out = zip.substr(0, end);
    Put32(out, 0x06064b50);
    Put64(out, 44);  // size of the rest of the record
    Put32(out, (45 << 16) | 45);  // versions made by and needed
    Put64(out, 0);  // this disk, the directory's disk
    for (const uint64_t value : {entries, entries, Get(zip, end + kEndDirectorySizeAt, 4), directoryOffset})
        Put64(out, value);
    Put32(out, 0x07064b50);
    Put32(out, 0);
    Put64(out, end);  // where the Zip64 end record is
    Put32(out, 1);
    Put32(out, 0x06054b50);
    Put64(out, 0xFFFFFFFF00000000ULL);  // disks 0, entry counts deferred
    Put64(out, UINT64_MAX);             // directory size and offset deferred
    Put16(out, 0);
    return out;
}

TEST(Hostile, Zip64ValuesThatWrapASum) {
    struct Case {
        const char* label;
        std::string zip;
        bool list;            // a verbose listing rather than an extraction
        int32_t result;
        const char* printed;  // part of what is printed
    };
    const Case cases[] = {
        {"directory offset + size", Zip64End(UINT64_MAX - 8), false, UZ_UNEXPECTED_END,
         "lies beyond the end of the archive"},
        {"local header offset + prefix", Zip64Entry(4, 4, UINT64_MAX, std::string(100, 'M')), false,
         UZ_SEVERE_ERROR, "impossible offset"},
        {"data offset + compressed size", Zip64Entry(4, UINT64_MAX - 8, 0), false, UZ_FORMAT_ERROR,
         "reaches beyond its space"},
        {"saved size * 100 in the ratio", Zip64Entry(1ULL << 62, 1ULL << 61, 0), true, UZ_OK, " 50% "},
        {"total of the sizes", Zip64Entry(UINT64_MAX - 1, 4, 0), true, UZ_OK, "18446744073709551615 "},
    };
    for (const Case& c : cases) {
        Scratch s;
        WriteFile(s / "a.zip", c.zip);
        Call call(s / "a.zip", s / "dest");
        call.options.ExtractList = c.list;
        call.options.Verbose = c.list;
        EXPECT_EQ(call.run(), c.result) << c.label << "\n" << Rec().printed;
        EXPECT_NE(Rec().printed.find(c.printed), std::string::npos) << c.label << "\n" << Rec().printed;
    }
}

}  // namespace
}  // namespace uztest
