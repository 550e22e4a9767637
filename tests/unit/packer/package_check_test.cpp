// Each message of `setup-pack check`, with a package that triggers it.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>

#include "packer/archive/write_archive.h"
#include "packer/base/findings.h"
#include "packer/base/host.h"
#include "packer/check/code_page.h"
#include "packer/check/package_check.h"
#include "packer/cli/command_line.h"
#include "packer_fixture.h"
#include "program_image.h"
#include "zip_builder.h"

namespace {

namespace fs = std::filesystem;
using packer::Severity;
using packer_test::ReadFile;
using packer_test::TempFolder;
using packer_test::WriteFile;

// Lines 1 to 7: MESSAGE, APPLICATION, TARGET, ZIPFILE, EXEFILE, SHORTCUTDESKTOP, AUTOLAUNCH.
const std::string kGood =
    "MESSAGE=This installs Sample Writer.\r\n"
    "APPLICATION=Sample Writer\r\n"
    "TARGET=Sample Writer\r\n"
    "ZIPFILE=Setup.zip\r\n"
    "EXEFILE=writer.exe\r\n"
    "SHORTCUTDESKTOP=Writer\r\n"
    "AUTOLAUNCH=false\r\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    while (times-- > 0) out += text;
    return out;
}

enum class Change {
    None,
    NoSetupIni,
    NoSetupExe,
    NoLibrary,
    NoArchive,
    NotAnArchive,
    BadCrc,        // one byte of writer.exe's stored data changed
    NestedArchive, // the application folder zipped with its own folder on top
    Encrypted,     // every file entry flagged as encrypted
    OtherFiles,    // a library and an old archive beside the package's files
    Prefixed,      // a program's bytes before the archive, as in a self-extractor
    SetupIsLibrary,   // setup.exe a DLL
    LibraryIsProgram, // unzip32.dll a program
    SetupCut,         // setup.exe cut short
};

struct Expect {
    const char* file;
    int line;
    Severity severity;
    const char* text;  // part of the message
    const char* code = nullptr;
};

struct Case {
    const char* name;
    std::string ini;
    Change change;
    std::vector<Expect> expected;
    std::vector<std::string> appFiles = {};  // more files in the application folder
};

constexpr const char* kIni = "Setup.ini";
constexpr const char* kZip = "Setup.zip";
constexpr Severity kError = Severity::Error;
constexpr Severity kWarning = Severity::Warning;

const Case kCases[] = {
    {"Clean", kGood, Change::None, {}},
    {"LinesWithoutEqualsAreSkipped", "[Setup]\r\n; the sample\r\n" + kGood + "\r\n", Change::None, {}},
    {"LineFeedOnlyLineEnds", Replace(kGood, "\r\n", "\n"), Change::None,
     {{kIni, 0, kError, "no TARGET line"},
      {kIni, 0, kError, "no ZIPFILE line"},
      {kIni, 0, kError, "no EXEFILE line"},
      {kIni, 1, kError, "join lines 1-7 into one line"}}},
    {"LastLineEndsInLineFeed", Replace(kGood, "writer.exe\r\n", "writer.exe\n"), Change::None,
     {{kIni, 5, kError, "join lines 5-6 into one line"},
      {kIni, 5, kError, "EXEFILE \"writer.exe\\nSHORTCUTDESKTOP\" is not in the archive"}}},
    {"LineFeedKeptInValue", "TARGET=Sample Writer\r\nZIPFILE=Setup.zip\r\nEXEFILE=writer.exe\n",
     Change::None,
     {{kIni, 3, kError, "the line ends in a line feed alone"},
      {kIni, 3, kError, "EXEFILE \"writer.exe\\n\" is not in the archive"}}},
    {"ByteOrderMarkGluedToKey", "\xEF\xBB\xBF" + kGood, Change::None,
     {{kIni, 1, kError, "byte-order mark is glued to the first key"}}},
    {"ByteOrderMarkBeforeSection", "\xEF\xBB\xBF[Setup]\r\n" + kGood, Change::None,
     {{kIni, 1, kWarning, "starts with a UTF-8 byte-order mark"}}},
    {"Utf16", std::string("\xFF\xFET\0A\0R\0G\0E\0T\0=\0x\0\r\0\n\0", 20), Change::None,
     {{kIni, 0, kError, "no TARGET line"},
      {kIni, 0, kError, "no ZIPFILE line"},
      {kIni, 0, kError, "no EXEFILE line"},
      {kIni, 1, kError, "saved as UTF-16"}}},
    {"LowerCaseKey", kGood + "autolaunch=1\r\n", Change::None,
     {{kIni, 8, kError, "key \"autolaunch\" is not in upper case"}}},
    {"SpacePaddedKey", kGood + "TARGET =Other\r\n", Change::None,
     {{kIni, 8, kError, "key \"TARGET \" has blanks around it"}}},
    {"MixedCasePaddedKey", kGood + " Exefile=x\r\n", Change::None,
     {{kIni, 8, kError, "is not in upper case and has blanks around it: setup.exe compares keys exactly"}}},
    {"UnknownKey", kGood + "VERSION=1.2\r\n", Change::None,
     {{kIni, 8, kWarning, "unknown key \"VERSION\""}}},
    {"EmptyKey", kGood + "=x\r\n", Change::None, {{kIni, 8, kWarning, "starts with \"=\""}}},
    {"TextAfterSecondEquals", Replace(kGood, "This installs Sample Writer.", "Step 1=copy"),
     Change::None, {{kIni, 1, kWarning, "value is \"Step 1\", not \"Step 1=copy\""}}},
    {"AutoLaunchYesStops", Replace(kGood, "AUTOLAUNCH=false", "AUTOLAUNCH=yes"), Change::None,
     {{kIni, 7, kError, "AUTOLAUNCH value is neither true, false nor a number"}}},
    {"AutoLaunchEmptyStops", Replace(kGood, "AUTOLAUNCH=false", "AUTOLAUNCH="), Change::None,
     {{kIni, 7, kError, "stops at start with \"Type mismatch"}}},
    {"AutoLaunchNumberIsFine", Replace(kGood, "AUTOLAUNCH=false", "AUTOLAUNCH=5"), Change::None, {}},
    {"AutoLaunchUpperCaseIsFine", Replace(kGood, "AUTOLAUNCH=false", "AUTOLAUNCH=TRUE"), Change::None, {}},
    {"StopBeforeEverythingElse", "AUTOLAUNCH=no\r\n" + Replace(kGood, "AUTOLAUNCH=false\r\n", ""),
     Change::None, {{kIni, 1, kError, "reads no line after it"}}},
    {"TargetWithDriveLetter", Replace(kGood, "TARGET=Sample Writer", "TARGET=C:\\Apps\\Writer"),
     Change::None,
     {{kIni, 3, kError, "proposes \"C:\\Program Files\\C:\\Apps\\Writer\""}}},
    {"TargetWithLeadingBackslash", Replace(kGood, "TARGET=Sample Writer", "TARGET=\\Apps"),
     Change::None, {{kIni, 3, kError, "TARGET \"\\Apps\" is a full path"}}},
    {"EmptyTarget", Replace(kGood, "TARGET=Sample Writer", "TARGET="), Change::None,
     {{kIni, 3, kWarning, "TARGET is empty: setup.exe proposes C:\\Program Files\\ itself"}}},
    {"NoTarget", Replace(kGood, "TARGET=Sample Writer\r\n", ""), Change::None,
     {{kIni, 0, kError, "no TARGET line"}}},
    {"NoZipFileLine", Replace(kGood, "ZIPFILE=Setup.zip\r\n", ""), Change::None,
     {{kIni, 0, kError, "no ZIPFILE line"}}},
    {"ArchiveNamedWrongly", Replace(kGood, "ZIPFILE=Setup.zip", "ZIPFILE=Other.zip"), Change::None,
     {{kIni, 4, kError, "the archive \"Other.zip\" is not in the package folder"},
      {kZip, 0, kWarning, "not part of the package", "other-file"}}},
    {"ArchiveMissing", kGood, Change::NoArchive,
     {{kIni, 4, kError, "\"Setup.zip\" is not in the package folder"}}},
    {"NotAnArchive", kGood, Change::NotAnArchive,
     {{kIni, 4, kError, "not fully extractable: the unzip library's test ends with result 9"}}},
    {"DamagedEntry", kGood, Change::BadCrc, {{kIni, 4, kError, "not fully extractable"}}},
    {"EncryptedEntries", kGood, Change::Encrypted,
     {{kIni, 4, kWarning, "2 entries of the archive are encrypted: setup.exe asks the person"}}},
    {"ExeFileMissing", Replace(kGood, "EXEFILE=writer.exe", "EXEFILE=missing.exe"), Change::None,
     {{kIni, 5, kError, "EXEFILE \"missing.exe\" is not in the archive"}}},
    {"ExeFileBelowTopLevel", kGood, Change::NestedArchive,
     {{kIni, 5, kError, "not at the top level of the archive (which has it as \"App/writer.exe\")"}}},
    {"ExeFileInSubfolderIsFine", Replace(kGood, "EXEFILE=writer.exe", "EXEFILE=docs\\run.bat"),
     Change::None, {}, {"docs/run.bat"}},
    {"ExeFileIsALibrary", Replace(kGood, "EXEFILE=writer.exe", "EXEFILE=docs\\Helper.DLL"), Change::None,
     {{kIni, 5, kWarning, "is a library (.dll), not a program", "exefile-library"}}, {"docs/helper.dll"}},
    {"ExeFileIsADocument", Replace(kGood, "EXEFILE=writer.exe", "EXEFILE=docs\\guide.txt"), Change::None,
     {{kIni, 5, kWarning, "is not a program (.exe, .com, .bat or .cmd)", "exefile-not-a-program"}}},
    {"WrittenInTheCodePageChecked", kGood + "; code page 1252\r\n", Change::None, {}},
    {"WrittenInAnotherCodePage", kGood + "; code page 1250\r\n", Change::None,
     {{kIni, 8, kWarning, "written in code page 1250 (Central European) but is checked in code page 1252",
       "code-page-differs"}}},
    {"ExeFileCaseIgnored", Replace(kGood, "EXEFILE=writer.exe", "EXEFILE=WRITER.EXE"), Change::None, {}},
    {"ExeFileWithTrailingBlank", Replace(kGood, "EXEFILE=writer.exe", "EXEFILE=writer.exe "),
     Change::None,
     {{kIni, 5, kWarning, "has blanks at its start or end"},
      {kIni, 5, kError, "EXEFILE \"writer.exe \" is not in the archive"}}},
    {"NoEXEFILELine", Replace(kGood, "EXEFILE=writer.exe\r\n", ""), Change::None,
     {{kIni, 0, kError, "no EXEFILE line"}}},
    {"RepeatedKey", kGood + "MESSAGE=again\r\n", Change::None,
     {{kIni, 8, kWarning, "MESSAGE repeats line 1"}}},
    {"ShortcutNamesDiffer", kGood + "SHORTCUTPROGRAMS=Sample Writer\r\n", Change::None,
     {{kIni, 8, kWarning, "names the SHORTCUTDESKTOP shortcut \"Sample Writer\" too, not \"Writer\""}}},
    {"ShortcutWithoutName", Replace(kGood, "SHORTCUTDESKTOP=Writer", "SHORTCUTDESKTOP="), Change::None,
     {{kIni, 6, kWarning, "SHORTCUTDESKTOP has no name"}}},
    {"SetupIniMissing", "", Change::NoSetupIni,
     {{kIni, 0, kError, "missing from the package folder: setup.exe stops at start with \"File not found"}}},
    {"SetupExeMissing", kGood, Change::NoSetupExe, {{"setup.exe", 0, kError, "missing"}}},
    {"TargetInQuotes", Replace(kGood, "TARGET=Sample Writer", "TARGET=\"Sample Writer\""), Change::None,
     {{kIni, 3, kError, "is in quotes", "target-quotes"}}},
    {"TargetReservedCharacter", Replace(kGood, "TARGET=Sample Writer", "TARGET=Sample|Writer"),
     Change::None, {{kIni, 3, kError, "holds \"|\" (U+007C)", "target-reserved-character"}}},
    {"TargetDeviceName", Replace(kGood, "TARGET=Sample Writer", "TARGET=aux.app"), Change::None,
     {{kIni, 3, kError, "\"aux.app\" is a device name", "target-device-name"}}},
    {"TargetDotSegment", Replace(kGood, "TARGET=Sample Writer", "TARGET=Apps\\..\\Writer"),
     Change::None,
     {{kIni, 3, kError, "\"..\" is no name", "target-dot-segment"},
      {kIni, 3, kWarning, "3 folder levels deep", "target-levels"}}},
    {"TargetTrailingDot", Replace(kGood, "TARGET=Sample Writer", "TARGET=Writer."), Change::None,
     {{kIni, 3, kWarning, "the name becomes \"Writer\"", "target-trailing-dot-or-space"}}},
    {"TargetTwoLevels", Replace(kGood, "TARGET=Sample Writer", "TARGET=Quenbrook/Writer"), Change::None,
     {{kIni, 3, kWarning, "\"C:\\Program Files\\Quenbrook\" must already exist", "target-levels"}}},
    {"ShortcutSeparator", Replace(kGood, "SHORTCUTDESKTOP=Writer", "SHORTCUTDESKTOP=Tools\\Writer"),
     Change::None, {{kIni, 6, kError, "holds \"\\\" (U+005C)", "shortcut-separator"}}},
    {"ShortcutDotDot", Replace(kGood, "SHORTCUTDESKTOP=Writer", "SHORTCUTDESKTOP=.."), Change::None,
     {{kIni, 6, kError, "is no name", "shortcut-dot-segment"}}},
    {"ShortcutDeviceName", Replace(kGood, "SHORTCUTDESKTOP=Writer", "SHORTCUTDESKTOP=COM1"),
     Change::None, {{kIni, 6, kError, "device name", "shortcut-device-name"}}},
    {"ShortcutReservedCharacter", Replace(kGood, "SHORTCUTDESKTOP=Writer", "SHORTCUTDESKTOP=Writer?"),
     Change::None, {{kIni, 6, kError, "the shortcut is not made", "shortcut-reserved-character"}}},
    {"ShortcutTrailingDot", Replace(kGood, "SHORTCUTDESKTOP=Writer", "SHORTCUTDESKTOP=Writer."),
     Change::None, {{kIni, 6, kWarning, "\"Writer..lnk\"", "shortcut-trailing-dot-or-space"}}},
    {"ExeFileClimbsOut", Replace(kGood, "EXEFILE=writer.exe", "EXEFILE=..\\app\\writer.exe"),
     Change::None,
     {{kIni, 5, kError, "leads out of the destination folder", "exefile-outside"},
      {kIni, 5, kError, "is not in the archive"}}},
    {"ExeFileOnADrive", Replace(kGood, "EXEFILE=writer.exe", "EXEFILE=C:writer.exe"), Change::None,
     {{kIni, 5, kError, "leads out", "exefile-outside"}, {kIni, 5, kError, "is not in the archive"}}},
    {"MessageAmpersand", Replace(kGood, "This installs Sample Writer.", "Save & quit"), Change::None,
     {{kIni, 1, kWarning, "a single \"&\"", "message-ampersand"}}},
    {"MessageDoubleAmpersandIsFine", Replace(kGood, "This installs Sample Writer.", "Save && quit"),
     Change::None, {}},
    {"MessageCut", Replace(kGood, "This installs Sample Writer.", Repeat("Sample Writer keeps letters tidy. ", 20)),
     Change::None, {{kIni, 1, kWarning, "lines in the window, which shows 6", "message-cut"}}},
    {"Utf8Text", Replace(kGood, "APPLICATION=Sample Writer", "APPLICATION=Caf\xC3\xA9 Writer"),
     Change::None,
     {{kIni, 2, kWarning, "shows \"Caf\xC3\x83\xC2\xA9 Writer\", not \"Caf\xC3\xA9 Writer\"", "utf8-text"}}},
    {"UndefinedByte", Replace(kGood, "APPLICATION=Sample Writer", "APPLICATION=Writer \x81"),
     Change::None, {{kIni, 2, kWarning, "byte 0x81, which code page 1252", "undefined-byte"}}},
    {"CodePageTextIsFine", Replace(kGood, "APPLICATION=Sample Writer", "APPLICATION=Caf\xE9 Writer"),
     Change::None, {}},
    {"DeviceNameInArchive", kGood, Change::None,
     {{kZip, 0, kError, "entry \"docs/con.txt\": \"con.txt\" is a device name", "name-device-name"}},
     {"docs/con.txt"}},
    {"DeviceNameInPrefixedArchive", kGood, Change::Prefixed,
     {{kZip, 0, kError, "\"aux\" is a device name", "name-device-name"}}, {"aux"}},
    {"ReservedCharacterInArchive", kGood, Change::None,
     {{kZip, 0, kError, "installs it with \"_\" in its place", "name-reserved-character"}}, {"a<b.txt"}},
    {"ColonInArchive", kGood, Change::None, {{kZip, 0, kError, "holds a colon", "name-colon"}},
     {"notes:old.txt"}},
    {"TrailingSpaceInArchive", kGood, Change::None,
     {{kZip, 0, kError, "ends in a space", "name-trailing-dot-or-space"}}, {"docs/readme "}},
    {"NamesDifferOnlyInCase", kGood, Change::None,
     {{kZip, 0, kError, "entries \"Docs/GUIDE.TXT\" and \"docs/guide.txt\" differ only in case",
       "name-case"}},
     {"Docs/GUIDE.TXT"}},
    {"LongPathInArchive", kGood, Change::None,
     {{kZip, 0, kWarning, "a path of 286 characters", "name-long-path"}},
     {std::string(120, 'd') + "/" + std::string(130, 'f') + ".txt"}},
    {"OtherFilesInPackage", kGood, Change::OtherFiles,
     {{"Old.zip", 0, kWarning, "an archive or file left by an earlier build", "other-file"},
      {"version.dll", 0, kWarning, "a library beside setup.exe", "other-file"}}},
    {"LibraryMissing", kGood, Change::NoLibrary, {{"unzip32.dll", 0, kError, "missing"}}},
    {"SetupIsALibrary", kGood, Change::SetupIsLibrary,
     {{"setup.exe", 0, kError, "is a library (DLL), not a program: Windows cannot start it", "file-not-a-program"}}},
    {"LibraryIsAProgram", kGood, Change::LibraryIsProgram,
     {{"unzip32.dll", 0, kError, "is a program, not a library (DLL): setup.exe cannot load it", "file-not-a-program"}}},
    {"SetupCutShort", kGood, Change::SetupCut,
     {{"setup.exe", 0, kError, "is not a Windows program: the program file is cut short", "file-not-a-program"}}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class PackageCheck : public ::testing::TestWithParam<Case> {
protected:
    // A package folder: Setup.zip from an application folder, Setup.ini,
    // setup.exe and unzip32.dll (program images of the right kind, no code).
    fs::path MakePackage(const Case& c) {
        const fs::path app = folder.path() / "app";
        const fs::path top = c.change == Change::NestedArchive ? app / "App" : app;
        WriteFile(top / "writer.exe", "MZ the program");
        WriteFile(top / "docs" / "guide.txt", "How to write.");
        for (const std::string& name : c.appFiles) WriteFile(app / name, "more");
        const fs::path package = folder.path() / "package";
        fs::create_directories(package);
        packer::WriteArchive(app, package / "Setup.zip");
        if (c.change != Change::NoSetupIni) WriteFile(package / "Setup.ini", c.ini);
        if (c.change != Change::NoSetupExe) WriteFile(package / "setup.exe", uztest::ProgramImage());
        if (c.change != Change::NoLibrary) WriteFile(package / "unzip32.dll", uztest::LibraryImage());
        if (c.change == Change::NoArchive) fs::remove(package / "Setup.zip");
        if (c.change == Change::SetupIsLibrary) WriteFile(package / "setup.exe", uztest::LibraryImage());
        if (c.change == Change::LibraryIsProgram) WriteFile(package / "unzip32.dll", uztest::ProgramImage());
        if (c.change == Change::SetupCut) WriteFile(package / "setup.exe", uztest::ProgramImage().substr(0, 1000));
        if (c.change == Change::Prefixed) {
            WriteFile(package / "Setup.zip", std::string(4096, 'M') + ReadFile(package / "Setup.zip"));
        }
        if (c.change == Change::OtherFiles) {
            WriteFile(package / "version.dll", "MZ");
            WriteFile(package / "Old.zip", "PK");
        }
        if (c.change == Change::NotAnArchive) WriteFile(package / "Setup.zip", "not an archive");
        if (c.change == Change::BadCrc) {
            std::string bytes = ReadFile(package / "Setup.zip");
            const size_t data = bytes.find("MZ the program");
            EXPECT_NE(data, std::string::npos);  // small files are stored as they are
            bytes[data + 3] = 'T';
            WriteFile(package / "Setup.zip", bytes);
        }
        if (c.change == Change::Encrypted) {
            std::string bytes = ReadFile(package / "Setup.zip");
            // Every entry but the folders marked encrypted, in both its headers.
            struct Header {
                uint32_t signature;
                size_t flags, nameLength, name;
            };
            for (const Header h : {Header{uztest::kLocalHeaderSignature, uztest::kLocalFlagsOffset,
                                          uztest::kLocalNameLengthOffset, uztest::kLocalHeaderSize},
                                   Header{uztest::kCentralHeaderSignature, uztest::kCentralFlagsOffset,
                                          uztest::kCentralNameLengthOffset, uztest::kCentralHeaderSize}}) {
                const std::string signature = uztest::SignatureBytes(h.signature);
                for (size_t at = 0; (at = bytes.find(signature, at)) != std::string::npos; ++at) {
                    const size_t length = uztest::Get16(bytes, at + h.nameLength);
                    if (bytes[at + h.name + length - 1] != '/') {
                        uztest::Patch16(bytes, at + h.flags,
                                        uztest::Get16(bytes, at + h.flags) | uztest::kFlagEncrypted);
                    }
                }
            }
            WriteFile(package / "Setup.zip", bytes);
        }
        return package;
    }

    TempFolder folder;
};

TEST_P(PackageCheck, ReportsWhatWouldGoWrong) {
    const Case& c = GetParam();
    const std::vector<packer::Finding> findings =
        packer::CheckPackage(MakePackage(c), packer::SystemHost(), packer::CodePage::Default());
    std::string all;
    for (const auto& f : findings) all += packer::Format(f) + "\n";
    ASSERT_EQ(findings.size(), c.expected.size()) << all;
    for (size_t i = 0; i < findings.size(); ++i) {
        EXPECT_EQ(findings[i].file, c.expected[i].file) << all;
        EXPECT_EQ(findings[i].line, c.expected[i].line) << all;
        EXPECT_EQ(findings[i].severity, c.expected[i].severity) << all;
        EXPECT_NE(findings[i].message.find(c.expected[i].text), std::string::npos)
            << "expected \"" << c.expected[i].text << "\" in\n" << all;
        if (c.expected[i].code) {
            EXPECT_EQ(findings[i].code, c.expected[i].code) << all;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Messages, PackageCheck, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

struct ExitCase {
    std::vector<Severity> severities;
    bool strict;
    int code;
};

TEST(PackageCheckExit, ErrorsOutrankWarnings) {
    const ExitCase cases[] = {
        {{}, false, 0},
        {{Severity::Warning}, false, 1},
        {{Severity::Warning}, true, 2},
        {{Severity::Warning, Severity::Error, Severity::Warning}, false, 2},
    };
    for (const ExitCase& c : cases) {
        std::vector<packer::Finding> findings;
        for (Severity s : c.severities) findings.push_back({kIni, 1, s, "code", "x"});
        EXPECT_EQ(packer::ExitCodeOf(findings, c.strict), c.code);
    }
}

TEST(PackageCheckCommand, PrintsFileLineAndSeverity) {
    TempFolder folder;
    WriteFile(folder.path() / "Setup.ini", Replace(kGood, "AUTOLAUNCH=false", "AUTOLAUNCH=yes"));
    std::ostringstream out, err;
    const int code = packer::RunCommandLine({"check", folder.path()}, packer::SystemHost(), out, err);
    EXPECT_EQ(code, 2);
    EXPECT_EQ(out.str().rfind("Setup.ini:4: error: the archive \"Setup.zip\" is not", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("\nSetup.ini:7: error: AUTOLAUNCH value"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\nsetup.exe: error: missing from the package folder\n"), std::string::npos);

    // The same as one JSON object, which python reads; quotes in messages escaped.
    int status = 0;
    const std::string read = packer_test::Capture(
        "'" SETUP_PACK "' check --json '" + folder.path().string() + "' | python3 -c '"
        "import json, sys; d = json.load(sys.stdin); f = d[\"findings\"]; "
        "print(d[\"errors\"], d[\"warnings\"], f[1][\"line\"], f[1][\"code\"], f[0][\"message\"][:14])'",
        status);
    EXPECT_EQ(read, "4 0 7 autolaunch-type-mismatch the archive \"S\n");
}

}  // namespace
