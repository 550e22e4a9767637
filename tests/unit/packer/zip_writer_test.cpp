// The archive writer's output read back by python3's zipfile module and by our
// own unzip library, and its timestamps.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <time.h>

#include "common/truth.h"
#include "packer/archive/block_deflate.h"
#include "packer/archive/dos_time.h"
#include "packer/archive/write_archive.h"
#include "packer/base/host.h"
#include "packer/base/pack_error.h"
#include "packer/check/archive_listing.h"
#include "packer/check/package_services.h"
#include "packer_fixture.h"
#include "unzip/unzip_files.h"
#include "zip_builder.h"

namespace {

namespace fs = std::filesystem;
using packer_test::ReadFile;
using packer_test::SetModified;
using packer_test::TempFolder;
using packer_test::WriteFile;

constexpr std::time_t k2001 = 981173106;  // 2001-02-03 04:05:06 UTC

class UtcZone : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

struct TimeCase {
    std::time_t moment;
    uint16_t date, time;
};
// date: years since 1980 << 9 | month << 5 | day; time: hour << 11 | minute << 5 | seconds / 2
const TimeCase kTimes[] = {
    {k2001, (21 << 9) | (2 << 5) | 3, (4 << 11) | (5 << 5) | 3},
    {k2001 + 1, (21 << 9) | (2 << 5) | 3, (4 << 11) | (5 << 5) | 3},  // odd second rounds down
    {315532800, (0 << 9) | (1 << 5) | 1, 0},                           // 1980-01-01, the first moment
    {0, (0 << 9) | (1 << 5) | 1, 0},                                   // 1970: before the range
    {4354819199, (127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29},  // 2107-12-31 23:59:59
    {4354819200 + 86400 * 400, (127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29},
};

using DosTimeTest = UtcZone;

TEST_F(DosTimeTest, UtcInTheFormatsFieldsWithinItsRange) {
    for (const TimeCase& c : kTimes) {
        const packer::DosTime got = packer::ToDosTime(c.moment);
        EXPECT_EQ(got.date, c.date) << c.moment;
        EXPECT_EQ(got.time, c.time) << c.moment;
    }
}

std::string Noise(size_t size) {
    std::mt19937 random(7);
    std::string out(size, '\0');
    for (char& c : out) c = static_cast<char>(random());
    return out;
}

std::string Text(size_t size) {
    std::string out;
    while (out.size() < size) out += "Sample Writer keeps your letters tidy. ";
    return out.substr(0, size);
}

// An application folder with every kind of entry the writer meets.
class AppFolder : public UtcZone {
protected:
    void SetUp() override {
        UtcZone::SetUp();
        // Three blocks each, deflated and stored.
        WriteFile(app() / "big.txt", Text(2 * packer::BlockDeflater::kBlockSize + 1000));
        WriteFile(app() / "caf\xC3\xA9.txt", "cr\xC3\xA8me");
        WriteFile(app() / "empty.txt", "");
        WriteFile(app() / "noise.bin", Noise(2 * packer::BlockDeflater::kBlockSize + 1000));
        // Incompressible at its start only: deflated all the same.
        WriteFile(app() / "mixed.bin", Noise(packer::BlockDeflater::kBlockSize) + Text(3 * packer::BlockDeflater::kBlockSize));
        WriteFile(app() / "sub" / "dir" / "\xC3\xBC.txt", "umlaut");
        fs::create_directories(app() / "empty");
        for (const auto& entry : fs::recursive_directory_iterator(app())) SetModified(entry.path(), k2001);
        SetModified(app() / "noise.bin", k2001 + 1);
        SetModified(app() / "empty.txt", 0);
    }
    fs::path app() const { return folder.path() / "app"; }
    fs::path zip() const { return folder.path() / "Setup.zip"; }

    TempFolder folder;
};

// Name | UTF-8 flag | date and time | method | content compared with the source.
constexpr char kReadBack[] = R"(import os, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
print(z.testzip())
for i in z.infolist():
    same = '-'
    if not i.is_dir():
        with open(os.path.join(sys.argv[2], i.filename), 'rb') as f:
            same = 'same' if f.read() == z.read(i) else 'differs'
    print('%s|%d|%04d-%02d-%02d %02d:%02d:%02d|%d|%s' % ((i.filename, (i.flag_bits >> 11) & 1) + i.date_time + (i.compress_type, same)))
)";

TEST_F(AppFolder, PythonReadsNamesFlagsTimesAndBytesBack) {
    packer::WriteArchive(app(), zip());
    WriteFile(folder.path() / "read_back.py", kReadBack);
    int status = 0;
    const std::string printed = packer_test::Capture(
        "PYTHONIOENCODING=utf-8 python3 '" + (folder.path() / "read_back.py").string() + "' '" +
            zip().string() + "' '" + app().string() + "'",
        status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(printed,
              "None\n"
              "big.txt|0|2001-02-03 04:05:06|8|same\n"
              "caf\xC3\xA9.txt|1|2001-02-03 04:05:06|0|same\n"
              "empty/|0|2001-02-03 04:05:06|0|-\n"
              "empty.txt|0|1980-01-01 00:00:00|0|same\n"
              "mixed.bin|0|2001-02-03 04:05:06|8|same\n"
              "noise.bin|0|2001-02-03 04:05:06|0|same\n"
              "sub/|0|2001-02-03 04:05:06|0|-\n"
              "sub/dir/|0|2001-02-03 04:05:06|0|-\n"
              "sub/dir/\xC3\xBC.txt|1|2001-02-03 04:05:06|0|same\n");
}

TEST_F(AppFolder, OurLibraryTestsAndExtractsEveryFile) {
    packer::WriteArchive(app(), zip());
    packer::Host& host = packer::SystemHost();
    packer::PackageServices services(host, host.TextOf(folder.path()));

    unzip::UnzipFiles tester;
    tester.ZipFileName(host.TextOf(zip()));
    tester.TestZip(common::kTrue);
    EXPECT_EQ(tester.Unzip(), 0) << tester.GetLastMessage().size();

    // Installed in another time zone, the files keep their moments.
    setenv("TZ", "JST-9", 1);
    tzset();
    unzip::UnzipFiles extractor;
    extractor.ZipFileName(host.TextOf(zip()));
    extractor.ExtractDir(host.TextOf(folder.path() / "out"));
    ASSERT_EQ(extractor.Unzip(), 0);
    size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(app())) {
        const fs::path copy = folder.path() / "out" / fs::relative(entry.path(), app());
        if (entry.is_directory()) {
            EXPECT_TRUE(fs::is_directory(copy)) << copy;
        } else {
            ++files;
            EXPECT_EQ(ReadFile(copy), ReadFile(entry.path())) << copy;
            EXPECT_EQ(fs::last_write_time(copy), fs::last_write_time(entry.path())) << copy;
        }
    }
    EXPECT_EQ(files, 6u);
}

TEST_F(AppFolder, TheSameArchiveWhateverTheNumberOfThreads) {
    packer::ArchiveOptions options;
    options.threads = 1;
    packer::WriteArchive(app(), zip(), options);
    const std::string one = ReadFile(zip());
    fs::remove(zip());
    options.threads = 3;
    packer::WriteArchive(app(), zip(), options);
    EXPECT_EQ(ReadFile(zip()), one);
}

TEST_F(AppFolder, ListingNamesEveryEntryInOrder) {
    packer::WriteArchive(app(), zip());
    const packer::Listing listing = packer::ReadListingOfFile(zip());
    EXPECT_EQ(listing.problem, "");
    std::vector<std::wstring> names;
    for (const auto& entry : listing.entries) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"big.txt", L"caf\u00E9.txt", L"empty/",
                                                L"empty.txt", L"mixed.bin", L"noise.bin", L"sub/", L"sub/dir/",
                                                L"sub/dir/\u00FC.txt"}));
}

// Every cut of an archive and every damaged length is refused by the listing
// without reading outside the bytes (the sanitizers watch).
TEST_F(AppFolder, ListingOfCutOrDamagedArchivesReportsAProblem) {
    WriteFile(app() / "big.txt", "small now");
    fs::remove(app() / "noise.bin");
    fs::remove(app() / "mixed.bin");
    packer::WriteArchive(app(), zip());
    const std::string whole = ReadFile(zip());
    for (size_t size = 0; size < whole.size(); ++size) {
        const packer::Listing cut = packer::ReadListing(std::string_view(whole).substr(0, size));
        EXPECT_NE(cut.problem, "") << "cut at " << size;
    }
    // The end record's directory size and offset, and the last entry's name length.
    const size_t end = whole.size() - uztest::kEndOfDirSize;
    const size_t lastEntry = whole.rfind(uztest::SignatureBytes(uztest::kCentralHeaderSignature), end);
    for (size_t field : {end + uztest::kEndDirectorySizeOffset, end + uztest::kEndDirectoryOffsetOffset,
                         lastEntry + uztest::kCentralNameLengthOffset}) {
        std::string damaged = whole;
        damaged[field] = static_cast<char>(0xFF);
        damaged[field + 1] = static_cast<char>(0x7F);
        EXPECT_NE(packer::ReadListing(damaged).problem, "") << "field at " << field;
    }
}

TEST_F(AppFolder, AFailedArchiveLeavesNoFileBehind) {
    fs::create_symlink(app() / "gone", app() / "zz-broken-link");
    EXPECT_THROW(packer::WriteArchive(app(), zip()), packer::PackError);
    EXPECT_FALSE(fs::exists(zip()));
}

// A file that grows or shrinks after it was listed fails on a compressing
// thread; the failure reaches the caller and no archive is left.
TEST_F(AppFolder, AFileChangedWhilePackedFails) {
    for (const int64_t change : {-1, +1}) {
        std::vector<packer::AppEntry> entries = packer::CollectAppTree(app());
        for (packer::AppEntry& entry : entries) {
            if (entry.name == "big.txt") entry.size = static_cast<uint64_t>(static_cast<int64_t>(entry.size) + change);
        }
        try {
            packer::WriteArchive(entries, zip());
            ADD_FAILURE() << change;
        } catch (const packer::PackError& e) {
            EXPECT_NE(std::string(e.what()).find("changed while it was being packed"), std::string::npos);
        }
        EXPECT_FALSE(fs::exists(zip()));
    }
}

}  // namespace
