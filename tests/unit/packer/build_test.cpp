// `setup-pack build`: the values it refuses, the package it writes, and its
// command line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <functional>
#include <sstream>

#include "packer/base/host.h"
#include "packer/cli/command_line.h"
#include "packer/package/build_package.h"
#include "packer_fixture.h"
#include "program_image.h"

namespace {

namespace fs = std::filesystem;
using packer_test::Capture;
using packer_test::ReadFile;
using packer_test::SetModified;
using packer_test::TempFolder;
using packer_test::WriteFile;

class Build : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(app() / "writer.exe", "MZ the program");
        WriteFile(app() / "docs" / "guide.txt", "How to write.");
        WriteFile(shipped() / "setup.exe", uztest::ProgramImage());
        WriteFile(shipped() / "unzip32.dll", uztest::LibraryImage());
    }
    fs::path app() const { return folder.path() / "app"; }
    fs::path out() const { return folder.path() / "out"; }
    fs::path shipped() const { return folder.path() / "shipped"; }

    packer::BuildOptions Options() const {
        packer::BuildOptions o;
        o.appDir = app();
        o.outDir = out();
        o.target = L"Sample Writer";
        o.exe = L"writer.exe";
        o.setupExe = shipped() / "setup.exe";
        o.unzipDll = shipped() / "unzip32.dll";
        return o;
    }

    int Run(const packer::BuildOptions& o) {
        return packer::RunBuild(o, packer::SystemHost(), printed, errors);
    }

    // The tool itself, in the shell, with the package's files beside it.
    std::string Tool(const std::string& environment, const std::string& arguments, int& status) {
        return Capture(environment + " '" SETUP_PACK "' " + arguments + " --setup-exe '" +
                           (shipped() / "setup.exe").string() + "' --unzip-dll '" +
                           (shipped() / "unzip32.dll").string() + "' 2>&1",
                       status);
    }

    TempFolder folder;
    std::ostringstream printed, errors;
};

// The single file at `file`, made with a launcher beside the application folder.
void SingleFile(packer::BuildOptions& o, const fs::path& app, const fs::path& file) {
    o.launcher = app.parent_path() / "setup-launcher.exe";
    WriteFile(*o.launcher, uztest::ProgramImage());
    o.singleFile = file;
}

struct Refusal {
    const char* name;
    std::function<void(packer::BuildOptions&, const fs::path& app)> change;
    const char* text;  // part of the message
};

const Refusal kRefusals[] = {
    {"EqualsInValue", [](auto& o, auto&) { o.message = L"Step 1=copy"; },
     "Setup.ini:1: error: MESSAGE \"Step 1=copy\" holds \"=\""},
    {"LineFeedInValue", [](auto& o, auto&) { o.message = L"one\ntwo"; }, "holds a line break"},
    {"CarriageReturnInName", [](auto& o, auto&) { o.name = L"one\rtwo"; }, "holds a line break"},
    {"NotInTheCodePage", [](auto& o, auto&) { o.name = L"Writer \u4E2D"; },
     "Setup.ini:1: error: APPLICATION \"Writer \xE4\xB8\xAD\" holds \"\xE4\xB8\xAD\" (U+4E2D), "
     "which code page 1252 (Western European) cannot hold"},
    {"NoTarget", [](auto& o, auto&) { o.target.reset(); }, "--target is required"},
    {"EmptyTarget", [](auto& o, auto&) { o.target = L""; }, "must not be empty"},
    {"TargetFullPath", [](auto& o, auto&) { o.target = L"C:\\Apps\\Writer"; }, "is a full path"},
    {"TargetBlanks", [](auto& o, auto&) { o.target = L"Writer "; }, "blanks at its start or end"},
    {"TargetDeviceName", [](auto& o, auto&) { o.target = L"Apps\\CON"; }, "is a device name"},
    {"NoExe", [](auto& o, auto&) { o.exe.reset(); }, "--exe is required"},
    {"ExeNotInApp", [](auto& o, auto&) { o.exe = L"other.exe"; }, "is not in the application folder"},
    {"ExeIsFolder", [](auto& o, auto&) { o.exe = L"docs"; }, "is not in the application folder"},
    {"ExeOutsideApp", [](auto& o, auto&) { o.exe = L"../base/writer.exe"; }, "leads out of the destination"},
    {"ShortcutNamesDiffer",
     [](auto& o, auto&) {
         o.desktopShortcut = L"Writer";
         o.programsShortcut = L"Sample Writer";
     },
     "give both the same NAME"},
    {"ShortcutNameWithSlash", [](auto& o, auto&) { o.desktopShortcut = L"a/b"; }, "holds \"/\""},
    {"ShortcutDeviceName", [](auto& o, auto&) { o.desktopShortcut = L"lpt1"; }, "is a device name"},
    {"ZipInSubfolder", [](auto& o, auto&) { o.zip = L"data\\Setup.zip"; }, "plain file name"},
    {"ZipNamedLikeProgram", [](auto& o, auto&) { o.zip = L"SETUP.EXE"; }, "belongs to another file"},
    {"OutInsideApp", [](auto& o, auto& app) { o.outDir = app / "pkg"; }, "lies inside APPDIR"},
    {"AppMissing", [](auto& o, auto& app) { o.appDir = app / "gone"; }, "is not a folder"},
    {"DeviceNameInApp", [](auto&, auto& app) { WriteFile(app / "docs" / "aux.txt", ""); },
     "Setup.zip: error: entry \"docs/aux.txt\": \"aux.txt\" is a device name"},
    {"NamesDifferOnlyInCase", [](auto&, auto& app) { WriteFile(app / "Writer.exe", ""); },
     "differ only in case"},
    {"FileOf4GiB",
     [](auto&, auto& app) {
         WriteFile(app / "data.bin", "");
         fs::resize_file(app / "data.bin", 4ull << 30);  // sparse: nothing is written
     },
     "is 4 GiB or larger"},
    {"SetupExeMissing", [](auto& o, auto& app) { o.setupExe = app / "setup.exe"; }, "setup.exe not found"},
    {"LibraryMissing", [](auto& o, auto& app) { o.unzipDll = app / "x.dll"; }, "unzip32.dll not found"},
    {"SingleFileNotAProgram", [](auto& o, auto& app) { SingleFile(o, app, app.parent_path() / "W Setup.zip"); },
     "does not end in .exe"},
    {"SingleFileInOutDir", [](auto& o, auto& app) { SingleFile(o, app, o.outDir / "W.exe"); }, "lies inside OUTDIR"},
    {"SingleFileInAppDir", [](auto& o, auto& app) { SingleFile(o, app, app / "W.exe"); }, "lies inside APPDIR"},
    {"SingleFileInNoFolder", [](auto& o, auto& app) { SingleFile(o, app, app.parent_path() / "gone" / "W.exe"); },
     "gone\", which does not exist"},
    {"SingleFileInAFile", [](auto& o, auto& app) { SingleFile(o, app, app / "writer.exe" / "W.exe"); },
     "writer.exe\", which is not a folder"},
    {"ShippedFilesLookedFor",
     [](auto& o, auto&) {
         o.setupExe.reset();
         o.unzipDll.reset();
     },
     "setup.exe not found (looked for \""},
    {"ShippedFilesLookedForInTheInstalledLayout", [](auto& o, auto&) { o.unzipDll.reset(); },
     "share/setup-pack/win32/unzip32.dll\"): give --unzip-dll PATH"},
    {"SingleFileOverSetupExe", [](auto& o, auto& app) { SingleFile(o, app, *o.setupExe); },
     "which the single file is made from"},
    {"LauncherMissing",
     [](auto& o, auto& app) {
         SingleFile(o, app, app.parent_path() / "W.exe");
         o.launcher = app / "none.exe";
     },
     "setup-launcher.exe not found at"},
    {"LauncherSignedAlready",
     [](auto& o, auto& app) {
         SingleFile(o, app, app.parent_path() / "W.exe");
         WriteFile(*o.launcher, uztest::ProgramImage() + "signature");
     },
     "carries data after its program image"},
    {"WarningsWhenStrict",
     [](auto& o, auto&) {
         o.strict = true;
         o.message = L"Save & quit";
     },
     "warning: MESSAGE holds a single \"&\""},
};

TEST_F(Build, RefusesBeforeWritingAnything) {
    for (const Refusal& r : kRefusals) {
        TempFolder scratch;
        fs::copy(app(), scratch.path() / "app", fs::copy_options::recursive);
        packer::BuildOptions o = Options();
        o.appDir = scratch.path() / "app";
        o.outDir = scratch.path() / "out";
        r.change(o, o.appDir);
        errors.str("");
        EXPECT_EQ(Run(o), 2) << r.name;
        EXPECT_NE(errors.str().find(r.text), std::string::npos) << r.name << ": " << errors.str();
        EXPECT_FALSE(fs::exists(o.outDir)) << r.name;
    }
}

TEST_F(Build, WritesExactSettingsAndShipsBothFiles) {
    packer::BuildOptions o = Options();
    o.message = L"Welcome";
    o.name = L"Caf\u00E9 Writer 1.2";
    o.desktopShortcut = L"Sample Writer";
    o.programsShortcut = L"Sample Writer";
    o.autoLaunch = true;
    ASSERT_EQ(Run(o), 0) << errors.str() << printed.str();
    EXPECT_EQ(ReadFile(out() / "Setup.ini"),
              "MESSAGE=Welcome\r\n"
              "APPLICATION=Caf\xE9 Writer 1.2\r\n"
              "TARGET=Sample Writer\r\n"
              "ZIPFILE=Setup.zip\r\n"
              "EXEFILE=writer.exe\r\n"
              "SHORTCUTPROGRAMS=Sample Writer\r\n"
              "SHORTCUTDESKTOP=Sample Writer\r\n"
              "AUTOLAUNCH=true\r\n"
              "; code page 1252\r\n");
    EXPECT_EQ(ReadFile(out() / "setup.exe"), uztest::ProgramImage());
    EXPECT_EQ(ReadFile(out() / "unzip32.dll"), uztest::LibraryImage());
    EXPECT_TRUE(fs::is_regular_file(out() / "Setup.zip"));
    EXPECT_NE(printed.str().find("built and checked"), std::string::npos) << printed.str();
}

// A package folder ships whole: other files there are refused, and --force
// replaces only the package's own files.
TEST_F(Build, OutDirWithOtherFilesOnlyWhenForced) {
    WriteFile(out() / "notes.txt", "mine");
    WriteFile(out() / "SETUP.ZIP", "an earlier archive");
    packer::BuildOptions o = Options();
    EXPECT_EQ(Run(o), 2);
    EXPECT_NE(errors.str().find("holds what build does not write: \"notes.txt\""), std::string::npos)
        << errors.str();
    o.force = true;
    EXPECT_EQ(Run(o), 1) << errors.str();
    EXPECT_NE(printed.str().find("notes.txt: warning: a file that is not part of the package"),
              std::string::npos) << printed.str();
    EXPECT_EQ(ReadFile(out() / "notes.txt"), "mine");
    EXPECT_FALSE(fs::exists(out() / "SETUP.ZIP"));  // the same file on Windows
    EXPECT_TRUE(fs::exists(out() / "Setup.zip"));
}

// What the locale says does not change the bytes, and the check reads them
// back as the code page has them.
TEST_F(Build, CodePageRoundTripUnderAnyLocale) {
    struct Case {
        const char* codePage;
        const char* name;      // UTF-8, as typed
        const char* expected;  // in the code page
    };
    const Case cases[] = {
        {"1252", "Caf\xC3\xA9 Writer", "APPLICATION=Caf\xE9 Writer\r\n"},
        {"1251", "\xD0\x9F\xD0\xB8\xD1\x81\xD0\xB0\xD1\x82\xD0\xB5\xD0\xBB\xD1\x8C",
         "APPLICATION=\xCF\xE8\xF1\xE0\xF2\xE5\xEB\xFC\r\n"},
    };
    for (const Case& c : cases) {
        for (const char* locale : {"LC_ALL=C", "LC_ALL=C.UTF-8"}) {
            fs::remove_all(out());
            int status = 0;
            const std::string said = Tool(locale, "build '" + app().string() + "' '" + out().string() +
                                                      "' --target Writer --exe writer.exe --codepage " +
                                                      c.codePage + " --name '" + c.name + "'",
                                          status);
            EXPECT_EQ(status, 0) << locale << said;
            EXPECT_NE(ReadFile(out() / "Setup.ini").find(c.expected), std::string::npos) << locale;
        }
    }
    WriteFile(out() / "Setup.ini", "APPLICATION=Caf\xC3\xA9\r\nTARGET=W\r\nZIPFILE=Setup.zip\r\nEXEFILE=writer.exe\r\n");
    for (const char* locale : {"LC_ALL=C", "LC_ALL=C.UTF-8"}) {
        int status = 0;
        const std::string said = Capture(std::string(locale) + " '" SETUP_PACK "' check '" + out().string() + "'", status);
        EXPECT_NE(said.find("shows \"Caf\xC3\x83\xC2\xA9\", not \"Caf\xC3\xA9\""), std::string::npos)
            << locale << said;
    }
}

// The same application folder makes the same bytes in any time zone, and with
// a fixed time whatever the files' own times.
TEST_F(Build, ReproducibleAcrossTimeZonesAndTouchedFiles) {
    const auto build = [&](const std::string& environment, const char* into) {
        int status = 0;
        const fs::path folder = this->folder.path() / into;
        const std::string said = Tool(environment, "build '" + app().string() + "' '" + folder.string() +
                                                        "' --target Writer --exe writer.exe",
                                      status);
        EXPECT_EQ(status, 0) << said;
        return ReadFile(folder / "Setup.zip");
    };
    EXPECT_EQ(build("TZ=UTC0", "utc"), build("TZ=JST-9", "tokyo"));
    const std::string fixed = build("TZ=UTC0 SOURCE_DATE_EPOCH=1700000000", "fixed");
    for (const auto& entry : fs::recursive_directory_iterator(app())) SetModified(entry.path(), 1800000000);
    EXPECT_EQ(build("TZ=EST5EDT SOURCE_DATE_EPOCH=1700000000", "touched"), fixed);
}

// What a build may not expect of the application folder and the
// environment: a link to a file outside APPDIR is packed as it is, with a
// warning (refused under --strict); a name that is not UTF-8 is refused,
// shown with its bytes; a malformed SOURCE_DATE_EPOCH is refused like any
// malformed number.
TEST_F(Build, LinksOutOfTheFolderNamesNotUtf8AndMalformedTimes) {
    struct Case {
        const char* what;
        const char* environment;
        const char* option;
        fs::path added;  // to APPDIR: a link to `target`, or a file
        fs::path target;
        int status;
        std::string said;
    };
    const fs::path outside = folder.path() / "outside.txt";
    WriteFile(outside, "not in the application folder");
    const std::string link = "is a link to \"" + outside.string() +
                             "\", a file outside APPDIR: its content is packed as \"docs/notes.txt\"";
    const Case kCases[] = {
        {"a link out", "", "", app() / "docs" / "notes.txt", outside, 1,
         "setup-pack: warning: \"" + app().string() + "/docs/notes.txt\" " + link},
        {"a link out, strict", "", "--strict", app() / "docs" / "notes.txt", outside, 2, link},
        {"a link in", "", "--strict", app() / "docs" / "notes.txt", app() / "writer.exe", 0, "built and checked"},
        {"a name not UTF-8", "", "", app() / "caf\xE9.txt", "", 2,
         "Setup.zip: error: entry \"caf\\xE9.txt\": the name is not the UTF-8 text it is marked as"},
        {"an empty time", "SOURCE_DATE_EPOCH=", "", "", "", 64, "SOURCE_DATE_EPOCH \"\" is not a whole number"},
        {"a time with blanks", "SOURCE_DATE_EPOCH=' 1700000000'", "", "", "", 64, "is not a whole number"},
        {"a signed time", "", "--mtime +5", "", "", 64, "--mtime \"+5\" is not a whole number"},
    };
    for (const Case& c : kCases) {
        if (!c.target.empty()) fs::create_symlink(c.target, c.added);
        if (c.target.empty() && !c.added.empty()) WriteFile(c.added, "x");
        fs::remove_all(out());
        int status = 0;
        const std::string said = Tool(c.environment, "build '" + app().string() + "' '" + out().string() +
                                                         "' --target Writer --exe writer.exe " + c.option,
                                      status);
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.what << ": " << said;
        EXPECT_NE(said.find(c.said), std::string::npos) << c.what << ": " << said;
        EXPECT_EQ(fs::exists(out()), c.status < 2) << c.what;
        if (!c.added.empty()) fs::remove(c.added);
    }
}

struct UsageCase {
    std::vector<fs::path> arguments;
    int code;
    const char* text;
};

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    const UsageCase cases[] = {
        {{}, 64, "no command given"},
        {{"pack"}, 64, "unknown command pack"},
        {{"check"}, 64, "check takes DIR"},
        {{"build", "app"}, 64, "build takes APPDIR OUTDIR"},
        {{"build", "app", "out", "--colour", "red"}, 64, "unknown option --colour"},
        {{"build", "app", "out", "--exe"}, 64, "--exe needs a value"},
        {{"build", "app", "out", "--exe=a", "--exe", "b"}, 64, "--exe is given twice"},
        {{"build", "app", "out", "--autolaunch", "yes"}, 64, "--autolaunch takes true or false"},
        {{"build", "app", "out", "--codepage", "932"}, 64, "more than one byte per character"},
        {{"build", "app", "out", "--mtime", "noon"}, 64, "--mtime \"noon\" is not a whole number"},
        {{"check", "dir", "--mtime", "1"}, 64, "--mtime is not an option of check"},
        {{"check", "dir", "--strict=yes"}, 64, "--strict takes no value"},
        {{"check", "--version"}, 0, "setup-pack 1."},
        {{"--help"}, 0, "usage: setup-pack build"},
        {{"--help"}, 0, "setup-pack bundle PACKAGEDIR FILE.exe [options]"},
        {{"bundle", "pkg"}, 64, "bundle takes PACKAGEDIR FILE.exe"},
        {{"bundle", "pkg", "W.exe", "--setup-exe", "s.exe"}, 64, "--setup-exe is not an option of bundle"},
        {{"check", "pkg", "--single-file", "W.exe"}, 64, "--single-file is not an option of check"},
        {{"check", "pkg", "--sign-command", "sign {file}"}, 64, "--sign-command is not an option of check"},
        {{"build", "app", "out", "--launcher", "l.exe"}, 64, "--launcher makes the single file"},
        {{"build", "app", "out", "--sign-command", " "}, 64, "--sign-command: the command is empty"},
        {{"bundle", "pkg", "W.exe", "--sign-command", "sign \"{file}"}, 64, "double quote at character 6 is not closed"},
        {{"bundle", "pkg", "W.exe", "--sign-command", "signtool sign"}, 64, "names no file"},
        {{"bundle", "pkg", "W.exe", "--sign-command", "sign {in}"}, 64, "{in} needs {out}"},
        {{"bundle", "pkg", "W.exe", "--sign-command", "sign {file} -o {out}"}, 64, "not both"},
        {{"bundle", "pkg", "W.exe", "--sign-command", "sign {fil}"}, 64, "unknown placeholder {fil}"},
        // Accepted, then refused for the missing folders, not for the combination.
        {{"bundle", "pkg", "W.exe", "--sign-command", "sign {file}", "--launcher=l.exe", "--strict"}, 2,
         "setup-launcher.exe not found at \"l.exe\""},
        {{"build", "app", "out", "--target=W", "--exe=w.exe", "--single-file", "W.exe", "--launcher", "l.exe",
          "--sign-command", "sign -in {in} -out {out}"},
         2, "APPDIR \"app\" is not a folder"},
    };
    for (const UsageCase& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(packer::RunCommandLine(c.arguments, packer::SystemHost(), out, err), c.code) << c.text;
        EXPECT_NE((out.str() + err.str()).find(c.text), std::string::npos) << c.text;
    }
}

}  // namespace
