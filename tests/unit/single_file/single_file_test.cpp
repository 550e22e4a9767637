// The single-file installer's payload, written by the packager and read back
// by the launcher's reader: where it lies, what any zip tool sees in it, and
// what a damaged one gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "launcher/payload.h"
#include "launcher/progress_text.h"
#include "packer/base/pack_error.h"
#include "packer/single_file/bundle.h"
#include "program_image.h"
#include "scratch.h"
#include "zip_builder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;
using uztest::kCertificateDirectory;
using uztest::kImageSize;
using uztest::kPeOffset;
using uztest::kSectionTable;
using uztest::Patch32;
using uztest::ProgramImage;

// Counts what comes out; stops when told to.
struct Counter final : launcher::Progress {
    bool Unpacked(uint64_t done) override {
        last = done;
        return keepGoing;
    }
    uint64_t last = 0;
    bool keepGoing = true;
};

// Where the record with `signature` whose name (at `nameAt` in it) is `name` starts.
size_t RecordOf(const std::string& bytes, uint32_t signature, const std::string& name, size_t nameAt) {
    for (size_t at = bytes.find(uztest::SignatureBytes(signature)); at != std::string::npos;
         at = bytes.find(uztest::SignatureBytes(signature), at + 1)) {
        if (bytes.compare(at + nameAt, name.size(), name) == 0) return at;
    }
    ADD_FAILURE() << "no record of " << name;
    return 0;
}

class SingleFile : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(launcherFile, ProgramImage());
        WriteFile(package / "Setup.ini", "APPLICATION=Sample\r\nZIPFILE=App.zip\r\n");
        WriteFile(package / "App.zip", uztest::MixedData(300000));
        WriteFile(package / "setup.exe", "MZ setup");
        WriteFile(package / "unzip32.dll", "MZ library");
    }
    void Bundle() { packer::WriteSingleFile(launcherFile, package, output, packer::SystemHost()); }

    // Opens `file` and unpacks all of it into `unpacked`; the first failure.
    launcher::PayloadResult Unpack(const fs::path& file, Counter& progress) {
        std::unique_ptr<uz::ArchiveInput> input;
        EXPECT_TRUE(uz::os::OpenArchive(file.string(), input).ok());
        launcher::Payload payload(*input);
        launcher::PayloadResult result = payload.Open();
        fs::create_directories(unpacked);
        for (size_t i = 0; result.ok() && i < payload.FileCount(); ++i) {
            result = payload.Unpack(i, unpacked.string(), progress);
        }
        if (result.ok()) {
            EXPECT_EQ(progress.last, payload.TotalSize());
        }
        return result;
    }
    launcher::PayloadResult Unpack(const fs::path& file) {
        Counter progress;
        return Unpack(file, progress);
    }
    void ExpectUnpackedAsPacked() {
        for (const char* name : {"Setup.ini", "App.zip", "setup.exe", "unzip32.dll"}) {
            EXPECT_EQ(ReadFile(unpacked / name), ReadFile(package / name)) << name;
        }
    }
    size_t UnpackedCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(unpacked), fs::directory_iterator()));
    }

    testsupport::Scratch folder{"single-file"};
    fs::path launcherFile = folder / "setup-launcher.exe";
    fs::path package = folder / "package";
    fs::path output = folder / "Sample Setup.exe";
    fs::path unpacked = folder / "unpacked";
};

TEST_F(SingleFile, TheLauncherThenAnArchiveThatZipToolsListAndTheLauncherUnpacks) {
    Bundle();
    const std::string bytes = ReadFile(output);
    std::string image = bytes.substr(0, kImageSize);
    Patch32(image, uztest::kOptionalHeader + 64, 0);  // the checksum, made over the whole file
    EXPECT_EQ(image, ProgramImage());
    EXPECT_EQ(bytes.size() % 8, 0u) << "a signature would be preceded by padding";
    const size_t end = bytes.size() - uztest::kEndOfDirSize;
    EXPECT_EQ(uztest::Get16(bytes, end + uztest::kEndDirectoryOffsetOffset) |
                  uztest::Get16(bytes, end + uztest::kEndDirectoryOffsetOffset + 2) << 16,
              RecordOf(bytes, uztest::kCentralHeaderSignature, "Setup.ini", 46))
        << "offsets count from the file's start";
    const std::string list = "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
                             "assert z.namelist() == ['Setup.ini', 'App.zip', 'setup.exe', 'unzip32.dll'], "
                             "z.namelist(); assert z.testzip() is None\" '" + output.string() + "'";
    EXPECT_EQ(std::system(list.c_str()), 0);
    ASSERT_TRUE(Unpack(output).ok());
    ExpectUnpackedAsPacked();
}

TEST_F(SingleFile, ASignatureAddedAfterwardsIsNotTakenForPayload) {
    Bundle();
    std::string signed_ = ReadFile(output);
    // A table that ends like an empty archive: a finder that took it for
    // payload would find no files.
    std::string table(1000 - uztest::kEndOfDirSize, '\xAB');
    uztest::Put32(table, uztest::kEndOfDirSignature);
    table.resize(1000, '\0');
    Patch32(signed_, kCertificateDirectory, static_cast<uint32_t>(signed_.size()));
    Patch32(signed_, kCertificateDirectory + 4, static_cast<uint32_t>(table.size()));
    WriteFile(output, signed_ + table);
    ASSERT_TRUE(Unpack(output).ok());
    ExpectUnpackedAsPacked();
}

TEST_F(SingleFile, AStoppedUnpackingLeavesNoFile) {
    Bundle();
    Counter progress;
    progress.keepGoing = false;
    EXPECT_EQ(Unpack(output, progress).status, launcher::PayloadStatus::Stopped);
    EXPECT_EQ(UnpackedCount(), 0u);
}

TEST_F(SingleFile, ADamagedPayloadIsReportedWithWhatIsWrongAndLeavesNoPartialFile) {
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* detail;
    };
    const Case kCases[] = {
        {"a flipped byte in an archive's data",
         [](std::string& b) {
             b[RecordOf(b, uztest::kLocalHeaderSignature, "App.zip", 30) + 30 + 7 + 5000] ^= 0x20;
         },
         "App.zip: "},
        {"a wrong CRC in the directory",
         [](std::string& b) {
             b[RecordOf(b, uztest::kCentralHeaderSignature, "Setup.ini", 46) + 16] ^= 0x01;  // crc-32
         },
         "Setup.ini: CRC error"},
        {"an end record counting fewer files than the directory holds",
         [](std::string& b) {
             uztest::Patch16(b, b.size() - uztest::kEndOfDirSize + uztest::kEndEntriesOnDiskOffset, 3);
             uztest::Patch16(b, b.size() - uztest::kEndOfDirSize + uztest::kEndEntriesOffset, 3);
         },
         "holds 4 files, but its end counts 3"},
        {"cut short", [](std::string& b) { b.resize(b.size() - 100); }, "missing or cut short"},
        {"no payload at all", [](std::string& b) { b.resize(kImageSize); }, "missing or cut short"},
        {"no PE signature", [](std::string& b) { b[kPeOffset] = 'X'; }, "no PE signature"},
        {"a section beyond the end", [](std::string& b) { Patch32(b, kSectionTable + 20, 0x7FFFFFF0); },
         "cut short"},
        {"a signature overlapping the image",
         [](std::string& b) {
             Patch32(b, kCertificateDirectory, 0x100);
             Patch32(b, kCertificateDirectory + 4, 8);
         },
         "signature does not lie after its image"},
    };
    Bundle();
    const std::string good = ReadFile(output);
    for (const Case& c : kCases) {
        std::string bytes = good;
        c.damage(bytes);
        WriteFile(output, bytes);
        fs::remove_all(unpacked);
        const launcher::PayloadResult result = Unpack(output);
        EXPECT_EQ(result.status, launcher::PayloadStatus::Damaged) << c.what;
        EXPECT_NE(result.detail.find(c.detail), std::string::npos) << c.what << ": " << result.detail;
        for (const auto& entry : fs::directory_iterator(unpacked)) {
            EXPECT_EQ(ReadFile(entry.path()), ReadFile(package / entry.path().filename())) << c.what;
        }
    }
}

TEST(Payload, RefusesAnythingButPlainFilesWithSetupAmongThem) {
    using uztest::ZipBuilder;
    using uztest::ZipItem;
    struct Case {
        ZipBuilder archive;
        const char* detail;
    };
    ZipItem encrypted = uztest::DosItem("unzip32.dll", "x", "secret");
    const Case kCases[] = {
        {ZipBuilder{}.file("Setup.ini", "x").file("setup.exe", "x").file("docs/", ""), "a folder, docs/"},
        {ZipBuilder{}.file("Setup.ini", "x").file("setup.exe", "x").file("bin/unzip32.dll", "x"),
         "a file named bin/unzip32.dll"},
        {ZipBuilder{}.file("Setup.ini", "x").file("setup.exe", "x").file("CON", "x"), "a file named CON"},
        {ZipBuilder{}.file("Setup.ini", "x").file("setup.exe", "x").file(std::string(256, 'n'), "x"),
         "a file named nnnnnnnn"},
        {ZipBuilder{}.file("Setup.ini", "x").file("setup.exe", "x").add(encrypted), "unzip32.dll is encrypted"},
        {ZipBuilder{}.file("Setup.ini", "x").file("setup.exe", "x").file("app.zip", "x", 14), "packed in an unknown way"},
        {ZipBuilder{}.file("Setup.ini", "x").file("setup.exe", "x").file("SETUP.EXE", "x"), "SETUP.EXE twice"},
        {ZipBuilder{}.file("Setup.ini", "x").file("unzip32.dll", "x"), "holds no setup.exe"},
    };
    for (const Case& c : kCases) {
        const std::string file = ProgramImage() + c.archive.build();
        uz::MemoryInput input(file);
        launcher::Payload payload(input);
        const launcher::PayloadResult result = payload.Open();
        EXPECT_EQ(result.status, launcher::PayloadStatus::Damaged) << c.detail;
        EXPECT_NE(result.detail.find(c.detail), std::string::npos) << result.detail;
    }
}

TEST(Payload, NamesAsLongAsWindowsKeepsCountedInUtf16Units) {
    std::string accented;
    for (int i = 0; i < 255; ++i) accented += "\xC3\xA9";  // two bytes, one unit
    EXPECT_TRUE(launcher::IsPayloadFileName(std::string(255, 'n')));
    EXPECT_TRUE(launcher::IsPayloadFileName(accented));
    EXPECT_FALSE(launcher::IsPayloadFileName(std::string(256, 'n')));
}

TEST_F(SingleFile, RefusesWhatCannotMakeAWorkingSingleFile) {
    struct Case {
        const char* what;
        std::function<void()> spoil;
        const char* message;
    };
    const fs::path launcher = launcherFile;
    const fs::path ini = package / "Setup.ini";
    const Case kCases[] = {
        {"a launcher with data after its image", [&] { WriteFile(launcher, ProgramImage() + "PK"); },
         "carries data after its program image"},
        {"a launcher that is no program", [&] { WriteFile(launcher, "#!/bin/sh\n"); }, "is not the launcher program"},
        {"no ZIPFILE line", [&] { WriteFile(ini, "TARGET=App\r\n"); }, "no ZIPFILE line"},
        {"an archive below a folder", [&] { WriteFile(ini, "ZIPFILE=data\\App.zip\r\n"); }, "not a plain file name"},
        {"an archive named like setup.exe", [&] { WriteFile(ini, "ZIPFILE=SETUP.exe\r\n"); }, "another file"},
        {"no unzip32.dll", [&] { fs::remove(package / "unzip32.dll"); }, "unzip32.dll is missing"},
        {"no Setup.ini", [&] { fs::remove(ini); }, "cannot read Setup.ini"},
    };
    for (const Case& c : kCases) {
        SetUp();
        c.spoil();
        try {
            Bundle();
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const packer::PackError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << c.what << ": " << error.what();
        }
        EXPECT_FALSE(fs::exists(output)) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2) << c.what;
    }
}

TEST(ProgressText, BothAmountsInTheUnitOfTheTotalRoundedDown) {
    struct Case {
        uint64_t done, total;
        const wchar_t* text;
    };
    const Case kCases[] = {
        {0, 900, L"0 bytes of 900 bytes"},
        {1023, 2048, L"0.9 KB of 2.0 KB"},
        {(uint64_t{3} << 20) + 419430, uint64_t{120} << 20, L"3.3 MB of 120.0 MB"},
        {(uint64_t{120} << 20) - 1, uint64_t{120} << 20, L"119.9 MB of 120.0 MB"},
        {uint64_t{5} << 30, (uint64_t{5} << 30) + (uint64_t{1} << 29), L"5.0 GB of 5.5 GB"},
    };
    for (const Case& c : kCases) EXPECT_EQ(launcher::ProgressText(c.done, c.total), c.text);
}

}  // namespace
