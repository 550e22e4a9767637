// `setup-pack build`: the values it refuses, and the package it writes.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "packer/build_package.h"
#include "packer/command_line.h"
#include "packer/host.h"
#include "packer_fixture.h"

namespace {

namespace fs = std::filesystem;
using packer_test::ReadFile;
using packer_test::TempFolder;
using packer_test::WriteFile;

class Build : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(app() / "writer.exe", "MZ the program");
        WriteFile(app() / "docs" / "guide.txt", "How to write.");
        WriteFile(shipped() / "setup.exe", "MZ setup");
        WriteFile(shipped() / "unzip32.dll", "MZ library");
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

    TempFolder folder;
    std::ostringstream printed, errors;
};

struct Refusal {
    const char* name;
    std::function<void(packer::BuildOptions&, const fs::path& app)> change;
    const char* text;  // part of the message
};

const Refusal kRefusals[] = {
    {"EqualsInValue", [](auto& o, auto&) { o.message = L"Step 1=copy"; }, "cannot hold \"=\""},
    {"LineFeedInValue", [](auto& o, auto&) { o.message = L"one\ntwo"; }, "cannot hold a line break"},
    {"CarriageReturnInName", [](auto& o, auto&) { o.name = L"one\rtwo"; }, "cannot hold a line break"},
    {"NotInTheCodePage", [](auto& o, auto&) { o.name = L"Writer \u4E2D"; }, "ANSI code page"},
    {"NoTarget", [](auto& o, auto&) { o.target.reset(); }, "--target is required"},
    {"EmptyTarget", [](auto& o, auto&) { o.target = L""; }, "must not be empty"},
    {"TargetFullPath", [](auto& o, auto&) { o.target = L"C:\\Apps\\Writer"; }, "not a full path"},
    {"TargetRooted", [](auto& o, auto&) { o.target = L"\\Apps"; }, "not a full path"},
    {"TargetBlanks", [](auto& o, auto&) { o.target = L"Writer "; }, "blanks at its start or end"},
    {"NoExe", [](auto& o, auto&) { o.exe.reset(); }, "--exe is required"},
    {"ExeNotInApp", [](auto& o, auto&) { o.exe = L"other.exe"; }, "no such file inside"},
    {"ExeIsFolder", [](auto& o, auto&) { o.exe = L"docs"; }, "no such file inside"},
    {"AutoLaunchYes", [](auto& o, auto&) { o.autoLaunch = L"yes"; }, "would stop at start"},
    {"AutoLaunchEmpty", [](auto& o, auto&) { o.autoLaunch = L""; }, "would stop at start"},
    {"ShortcutNamesDiffer",
     [](auto& o, auto&) {
         o.desktopShortcut = L"Writer";
         o.programsShortcut = L"Sample Writer";
     },
     "give both the same NAME"},
    {"ShortcutNameWithSlash", [](auto& o, auto&) { o.desktopShortcut = L"a/b"; }, "cannot hold any of"},
    {"ZipInSubfolder", [](auto& o, auto&) { o.zip = L"data\\Setup.zip"; }, "plain file name"},
    {"ZipNamedLikeProgram", [](auto& o, auto&) { o.zip = L"SETUP.EXE"; }, "belongs to another file"},
    {"OutInsideApp", [](auto& o, auto& app) { o.outDir = app / "pkg"; }, "lies inside APPDIR"},
    {"AppMissing", [](auto& o, auto& app) { o.appDir = app / "gone"; }, "is not a folder"},
    {"SetupExeMissing", [](auto& o, auto& app) { o.setupExe = app / "setup.exe"; }, "setup.exe not found"},
    {"LibraryMissing", [](auto& o, auto& app) { o.unzipDll = app / "x.dll"; }, "unzip32.dll not found"},
};

TEST_F(Build, RefusesWhatSetupIniCannotCarry) {
    for (const Refusal& r : kRefusals) {
        packer::BuildOptions o = Options();
        r.change(o, app());
        errors.str("");
        EXPECT_EQ(Run(o), 2) << r.name;
        EXPECT_NE(errors.str().find(r.text), std::string::npos) << r.name << ": " << errors.str();
        EXPECT_FALSE(fs::exists(o.outDir)) << r.name;
    }
}

TEST_F(Build, WritesExactSettingsAndShipsBothFiles) {
    packer::BuildOptions o = Options();
    o.message = L"Welcome";
    o.name = L"Sample Writer 1.2";
    o.desktopShortcut = L"Sample Writer";
    o.programsShortcut = L"Sample Writer";
    o.autoLaunch = L"1";
    ASSERT_EQ(Run(o), 0) << errors.str() << printed.str();
    EXPECT_EQ(ReadFile(out() / "Setup.ini"),
              "MESSAGE=Welcome\r\n"
              "APPLICATION=Sample Writer 1.2\r\n"
              "TARGET=Sample Writer\r\n"
              "ZIPFILE=Setup.zip\r\n"
              "EXEFILE=writer.exe\r\n"
              "SHORTCUTPROGRAMS=Sample Writer\r\n"
              "SHORTCUTDESKTOP=Sample Writer\r\n"
              "AUTOLAUNCH=true\r\n");
    EXPECT_EQ(ReadFile(out() / "setup.exe"), "MZ setup");
    EXPECT_EQ(ReadFile(out() / "unzip32.dll"), "MZ library");
    EXPECT_TRUE(fs::is_regular_file(out() / "Setup.zip"));
    EXPECT_NE(printed.str().find("built and checked"), std::string::npos) << printed.str();
}

TEST_F(Build, CommandLineWithBothOptionFormsAndOwnArchiveName) {
    std::ostringstream out, err;
    const int code = packer::RunCommandLine(
        {"build", app(), this->out(), "--target=Sample Writer", "--exe", "docs/guide.txt",
         "--zip", "App.zip", "--setup-exe", shipped() / "setup.exe", "--unzip-dll=" +
         (shipped() / "unzip32.dll").string()},
        packer::SystemHost(), out, err);
    ASSERT_EQ(code, 0) << err.str() << out.str();
    EXPECT_EQ(ReadFile(this->out() / "Setup.ini"),
              "TARGET=Sample Writer\r\nZIPFILE=App.zip\r\nEXEFILE=docs/guide.txt\r\n");
    EXPECT_TRUE(fs::is_regular_file(this->out() / "App.zip"));
}

struct UsageCase {
    std::vector<fs::path> arguments;
    int code;
    const char* text;
};

TEST(CommandLine, RefusesWhatItDoesNotKnow) {
    const UsageCase cases[] = {
        {{}, 2, "no command given"},
        {{"pack"}, 2, "unknown command pack"},
        {{"check"}, 2, "check needs exactly one folder"},
        {{"build", "app"}, 2, "build needs APPDIR and OUTDIR"},
        {{"build", "app", "out", "--colour", "red"}, 2, "unknown option --colour"},
        {{"build", "app", "out", "--exe"}, 2, "--exe needs a value"},
        {{"--help"}, 0, "usage: setup-pack build"},
    };
    for (const UsageCase& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(packer::RunCommandLine(c.arguments, packer::SystemHost(), out, err), c.code);
        EXPECT_NE((out.str() + err.str()).find(c.text), std::string::npos) << c.text;
    }
}

}  // namespace
