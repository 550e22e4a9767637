// The single file's own identity: the resource section writer against its
// reader, the branded launcher read back by a second reader (pefile,
// wrestool), the values refused before anything is written, and a payload
// that depends on the inputs alone.
#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <sstream>

#include "launcher/payload.h"
#include "packer/base/host.h"
#include "packer/cli/command_line.h"
#include "packer/single_file/resource_tree.h"
#include "packer_fixture.h"
#include "program_image.h"

namespace {

namespace fs = std::filesystem;
using packer::single_file::Resource;
using packer::single_file::ResourceKey;
using packer_test::Capture;
using packer_test::ReadFile;
using packer_test::SetModified;
using packer_test::TempFolder;
using packer_test::WriteFile;

ResourceKey Named(std::u16string name) { return ResourceKey{true, 0, std::move(name)}; }

TEST(ResourceSection, ReadsBackWhatItWritesInTheDirectorysOrder) {
    const ResourceKey us = ResourceKey::Id(0x409), de = ResourceKey::Id(0x407);
    const std::vector<Resource> given{
        {ResourceKey::Id(16), ResourceKey::Id(1), us, 0, "version"},
        {Named(u"PNG"), Named(u"LOGO"), us, 1252, "odd\x01length"},
        {ResourceKey::Id(5), ResourceKey::Id(100), de, 0, "dialog de"},
        {ResourceKey::Id(5), ResourceKey::Id(100), us, 0, "dialog us"},
        {ResourceKey::Id(16), ResourceKey::Id(1), us, 0, "version, later"},
        {Named(u"PNG"), Named(u"ICON"), us, 0, ""},
    };
    const std::vector<Resource> expected{given[5], given[1], given[2], given[3], given[4]};
    const std::string section = packer::single_file::WriteResources(given, 0x5000);
    std::vector<Resource> read;
    std::string problem;
    ASSERT_TRUE(packer::single_file::ReadResources(section, 0x5000, read, problem)) << problem;
    ASSERT_EQ(read.size(), expected.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_TRUE(read[i].type == expected[i].type && read[i].name == expected[i].name &&
                    read[i].language == expected[i].language && read[i].codePage == expected[i].codePage &&
                    read[i].data == expected[i].data)
            << i;
    }

    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* problem;
    };
    const Case kCases[] = {
        {"cut inside the root's entries", [](std::string& s) { s.resize(20); }, "entries lie beyond"},
        {"a type that leads back to the root", [](std::string& s) { uztest::Patch32(s, 16 + 4, 0x80000000); },
         "reached twice"},
        // The first data entry follows the directories: the root with three
        // types (40 bytes), the types with four names (80), the names with
        // five languages (104).
        {"data before the section", [](std::string& s) { uztest::Patch32(s, 224, 0x10); },
         "outside the resource section"},
    };
    for (const Case& c : kCases) {
        std::string damaged = section;
        c.damage(damaged);
        EXPECT_FALSE(packer::single_file::ReadResources(damaged, 0x5000, read, problem)) << c.what;
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
    }
}

// An icon file: a 256-pixel PNG image and a 32-pixel bitmap of 16 colours,
// laid out as icon tools and wrestool lay them out.
std::string IconFile(uint32_t pngSide = 256) {
    std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0DIHDR", 16);
    for (uint32_t side : {pngSide, pngSide}) {
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>(side >> shift));
    }
    png += std::string("\x08\x06\0\0\0", 5) + "rest of the image";
    std::string bitmap;
    for (uint32_t field : {40u, 32u, 64u}) uztest::Put32(bitmap, field);  // biSize, biWidth, biHeight
    uztest::Put16(bitmap, 1);   // biPlanes
    uztest::Put16(bitmap, 4);   // biBitCount
    bitmap.resize(40 + 16 * 4 + 32 * 16 + 32 * 4, '\x5A');
    bitmap.replace(16, 24, 24, '\0');  // uncompressed, all colours used
    std::string ico;
    for (uint16_t field : {0, 1, 2}) uztest::Put16(ico, field);
    size_t offset = 6 + 2 * 16;
    for (const auto& [image, width, colours, bits] :
         {std::tuple{png, 0, 0, 32}, std::tuple{bitmap, 32, 16, 4}}) {
        ico += {static_cast<char>(width), static_cast<char>(width), static_cast<char>(colours), 0};
        uztest::Put16(ico, 1);
        uztest::Put16(ico, static_cast<uint16_t>(bits));
        uztest::Put32(ico, static_cast<uint32_t>(image.size()));
        uztest::Put32(ico, static_cast<uint32_t>(offset));
        offset += image.size();
    }
    return ico + png + bitmap;
}

class Branding : public ::testing::Test {
protected:
    void SetUp() override {
        std::setlocale(LC_CTYPE, "C.UTF-8");  // as setup-pack's main reads its arguments
        WriteFile(folder / "app" / "writer.exe", "MZ the program");
        WriteFile(folder / "tools" / "setup.exe", uztest::ProgramImage());
        WriteFile(folder / "tools" / "unzip32.dll", uztest::LibraryImage());
        WriteFile(folder / "tools" / "setup-launcher.exe", uztest::ProgramImage());
        WriteFile(folder / "icon.ico", IconFile());
    }

    int Run(const std::vector<fs::path>& args) {
        printed.str("");
        errors.str("");
        return packer::RunCommandLine(args, packer::SystemHost(), printed, errors);
    }
    std::vector<fs::path> BuildArgs(const fs::path& single) {
        const fs::path tools = folder / "tools";
        return {"build", folder / "app", package, "--name", "Sample Writer", "--target", "W", "--exe", "writer.exe",
                "--setup-exe", tools / "setup.exe", "--unzip-dll", tools / "unzip32.dll",
                "--launcher", tools / "setup-launcher.exe", "--single-file", single};
    }
    std::vector<fs::path> BundleArgs(const fs::path& single) {
        return {"bundle", package, single, "--launcher", folder / "tools" / "setup-launcher.exe"};
    }
    std::string SecondReader(const fs::path& file) {
        int status = 0;
        std::string said = Capture("'" READ_IDENTITY "' '" + file.string() + "' 2>&1", status);
        EXPECT_EQ(status, 0) << said;
        return said;
    }

    TempFolder folder;
    fs::path package = folder / "package";
    std::ostringstream printed, errors;
};

const char kRelocations[] = "relocations=00100000" "0c000000" "10300000\n";

TEST_F(Branding, TheSingleFileSaysWhatTheOptionsSayAndStillCarriesItsPayload) {
    const fs::path branded = folder / "Sample Writer Setup.exe";
    std::vector<fs::path> args = BuildArgs(branded);
    args.insert(args.end(), {"--icon", folder / "icon.ico", "--product-version", "2.10.0.7", "--company",
                             "Sample & Sons <Ltd>", "--copyright", "\xC2\xA9 2026 Sample & Sons", "--description",
                             "Installs the \xE2\x80\x9CSample\xE2\x80\x9D Writer"});
    ASSERT_EQ(Run(args), 0) << errors.str();
    EXPECT_EQ(SecondReader(branded),
              "040904B0:CompanyName=Sample & Sons <Ltd>\n"
              "040904B0:FileDescription=Installs the \xE2\x80\x9CSample\xE2\x80\x9D Writer\n"
              "040904B0:FileVersion=2.10.0.7\n"
              "040904B0:InternalName=Sample Writer Setup\n"
              "040904B0:LegalCopyright=\xC2\xA9 2026 Sample & Sons\n"
              "040904B0:OriginalFilename=Sample Writer Setup.exe\n"
              "040904B0:ProductName=Sample Writer\n"
              "040904B0:ProductVersion=2.10.0.7\n"
              "translation=0x0409 0x04b0\n"
              "file-version=2.10.0.7 product-version=2.10.0.7\n"
              "manifest-description=Installs the \xE2\x80\x9CSample\xE2\x80\x9D Writer\n"
              "icon-group-1=256x256/32 32x32/4\n"
              "checksum=right\n" +
                  std::string(kRelocations));
    int status = 0;
    const std::string icon = Capture("wrestool -x -t 14 '" + branded.string() + "'", status);
    EXPECT_EQ(icon.substr(0, IconFile().size()), IconFile()) << "the icon group and its images are the file's";
    EXPECT_NE(ReadFile(branded).find("Installs the \xE2\x80\x9CSample\xE2\x80\x9D Writer</description>"),
              std::string::npos);

    // Made of the package as it is, without options: the defaults.
    const fs::path plain = folder / "Plain.exe";
    ASSERT_LE(Run(BundleArgs(plain)), 1) << errors.str();
    EXPECT_EQ(SecondReader(plain),
              "040904B0:FileDescription=Sample Writer Setup\n"
              "040904B0:InternalName=Plain\n"
              "040904B0:OriginalFilename=Plain.exe\n"
              "040904B0:ProductName=Sample Writer\n"
              "translation=0x0409 0x04b0\n"
              "file-version=0.0.0.0 product-version=0.0.0.0\n"
              "manifest-description=Sample Writer Setup\n"
              "checksum=right\n" +
                  std::string(kRelocations));

    for (const fs::path& file : {branded, plain}) {
        std::unique_ptr<uz::ArchiveInput> input;
        ASSERT_TRUE(uz::os::OpenArchive(file.native(), input).ok());
        launcher::Payload payload(*input);
        EXPECT_TRUE(payload.Open().ok()) << file;
        EXPECT_EQ(payload.FileCount(), 4u) << file;
    }
}

TEST_F(Branding, RefusesWhatTheFileCannotSayBeforeWritingAnything) {
    const fs::path ico = folder / "given.ico";
    std::string cutBitmap = IconFile();
    cutBitmap.resize(cutBitmap.size() - 1);
    uztest::Patch32(cutBitmap, 6 + 16 + 8, uztest::Get16(cutBitmap, 6 + 16 + 8) - 1);  // its dwBytesInRes
    std::string cursor = IconFile();
    cursor[2] = 2;
    std::string beyond = IconFile();
    uztest::Patch32(beyond, 6 + 16 + 12, 100000);
    std::string noResources = uztest::ProgramImage();
    uztest::Patch32(noResources, uztest::kOptionalHeader + 96 + 2 * 8, 0);
    struct Case {
        std::vector<fs::path> options;
        std::string iconBytes;  // written to given.ico when not empty
        std::string message;
    };
    const Case kCases[] = {
        {{"--product-version", "1.2"}, "", "--product-version \"1.2\" is not a version of numbers"},
        {{"--product-version", "1.2.3.4.5"}, "", "give A.B.C or A.B.C.D"},
        {{"--product-version", "1.65536.0"}, "", "from 0 to 65535"},
        {{"--product-version", "1.-2.0"}, "", "is not a version of numbers"},
        {{"--product-version", "1..3"}, "", "is not a version of numbers"},
        {{"--icon", ico}, "MZ not an icon", "--icon \"" + ico.string() + "\" is not an icon file"},
        {{"--icon", ico}, cursor, "is not an icon file"},
        {{"--icon", ico}, IconFile(512), "image 1 of 2 of 512 x 512 pixels; icons are at most 256 x 256"},
        {{"--icon", ico}, cutBitmap, "image 2 of 2 that is a bitmap cut short"},
        {{"--icon", ico}, beyond, "image 2 of 2 beyond the file's end"},
        {{"--icon", folder / "none.ico"}, "", "cannot be read"},
        {{"--company", ""}, "", "--company \"\" is empty"},
        {{"--copyright", "line\none"}, "", "holds the control character U+000A"},
        {{"--description", std::string(4001, 'x')}, "", "is 4001 characters long"},
        {{"--description", "fine"}, "", "cannot carry the single file's identity: the launcher program has no resource section"},
    };
    for (const Case& c : kCases) {
        fs::remove_all(package);
        WriteFile(ico, c.iconBytes.empty() ? IconFile() : c.iconBytes);
        WriteFile(folder / "tools" / "setup-launcher.exe",
                  c.message.find("no resource section") != std::string::npos ? noResources
                                                                                           : uztest::ProgramImage());
        std::vector<fs::path> args = BuildArgs(folder / "W.exe");
        args.insert(args.end(), c.options.begin(), c.options.end());
        EXPECT_EQ(Run(args), 2) << c.message;
        EXPECT_NE(errors.str().find(c.message), std::string::npos) << c.message << ": " << errors.str();
        EXPECT_FALSE(fs::exists(package)) << c.message;
        EXPECT_FALSE(fs::exists(folder / "W.exe")) << c.message;
    }
    EXPECT_EQ(Run({"build", "app", "out", "--icon", "a.ico"}), 64);
    EXPECT_NE(errors.str().find("--icon makes the single file: it goes with --single-file"), std::string::npos);
}

TEST_F(Branding, PayloadEntriesTakeTheArchivesTimeWhateverTheClockAndZone) {
    ASSERT_EQ(Run(BuildArgs(folder / "first.exe")), 0) << errors.str();
    // As a later build would leave them: the package's own files written at another time.
    for (const auto& entry : fs::directory_iterator(package)) {
        if (entry.path().filename() != "Setup.zip") SetModified(entry.path(), 1800000000);
    }
    const auto bundle = [&](const std::string& zone, const char* into) {
        int status = 0;
        fs::create_directories(folder / into);
        const fs::path single = folder / into / "W Setup.exe";
        const std::string said = Capture("TZ=" + zone + " '" SETUP_PACK "' bundle '" + package.string() + "' '" +
                                             single.string() + "' --launcher '" +
                                             (folder / "tools" / "setup-launcher.exe").string() + "' 2>&1",
                                         status);
        EXPECT_LE(WEXITSTATUS(status), 1) << said;
        return ReadFile(single);
    };
    const std::string utc = bundle("UTC0", "utc");
    EXPECT_TRUE(bundle("NPT-5:45", "kathmandu") == utc) << "the same inputs give other bytes";
    int status = 0;
    EXPECT_EQ(Capture("python3 -c \"import sys, zipfile; times = [{i.date_time for i in zipfile.ZipFile(p).infolist()}"
                      " for p in sys.argv[1:]]; print(times[0] == {max(times[1])}, times)\" '" +
                          (folder / "utc" / "W Setup.exe").string() + "' '" + (package / "Setup.zip").string() + "'",
                      status)
                  .substr(0, 4),
              "True");
}

}  // namespace
