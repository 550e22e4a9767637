// The sign command: the words it is split into and the paths put into them,
// the Windows command line made of them, and build and bundle signing every
// program they write through it, with paths no shell may read, leaving
// nothing half-signed behind when it fails.
#include <gtest/gtest.h>

#include <sstream>

#include "packer/base/host.h"
#include "packer/cli/command_line.h"
#include "packer/sign/command_words.h"
#include "packer/sign/sign_command.h"
#include "packer_fixture.h"
#include "program_image.h"

namespace {

namespace fs = std::filesystem;
using packer_test::Capture;
using packer_test::ReadFile;
using packer_test::TempFolder;
using packer_test::WriteFile;
using Words = std::vector<std::string>;

TEST(SignCommand, APathIsPartOfOneWordWhateverItHolds) {
    const std::string file = "/p k g/it's $(x) \"q\"/setup.exe";
    const std::string copy = "/p k g/setup.signed.exe";
    struct Case {
        const char* command;
        Words words;
    };
    const Case kCases[] = {
        {"osslsigncode sign -certs c.pem -in {in} -out {out}",
         {"osslsigncode", "sign", "-certs", "c.pem", "-in", file, "-out", copy}},
        {R"(signtool sign /f "C:\My Certs\a.pfx" /fd sha256 {file})",
         {"signtool", "sign", "/f", R"(C:\My Certs\a.pfx)", "/fd", "sha256", file}},
        {R"(sh -c 'sign "$1" && echo {file}' sh {file})", {"sh", "-c", "sign \"$1\" && echo " + file, "sh", file}},
        {"tool -n\"My App\" --in={in} '' --out={out}", {"tool", "-nMy App", "--in=" + file, "", "--out=" + copy}},
        {"  tool\t{file}\r\n", {"tool", file}},
    };
    for (const Case& c : kCases) {
        std::string why;
        const std::optional<packer::SignCommand> command = packer::SignCommand::Parse(c.command, why);
        ASSERT_TRUE(command) << c.command << ": " << why;
        EXPECT_EQ(command->WordsFor(file, copy), c.words) << c.command;
    }
}

// What the C runtime's parser reads back as the words (no cmd.exe involved:
// & ^ % stay as they are).
TEST(SignCommand, WindowsCommandLineGivesTheParserTheWordsBack) {
    struct Case {
        Words words;
        const char* line;
    };
    const Case kCases[] = {
        {{"signtool", "sign", R"(C:\My Certs\a.pfx)", R"(C:\out\setup.exe)"},
         R"(signtool sign "C:\My Certs\a.pfx" C:\out\setup.exe)"},
        {{"tool", ""}, R"(tool "")"},
        {{"tool", "say \"hi\""}, R"(tool "say \"hi\"")"},
        {{"tool", R"(C:\with blanks\)"}, R"(tool "C:\with blanks\\")"},
        {{"tool", R"(a\\"b)"}, R"(tool "a\\\\\"b")"},
        {{"tool", "tab\there"}, "tool \"tab\there\""},
        {{R"(C:\Program Files\Kits\signtool.exe)", R"(C:\a&b^c%PATH%\x.exe)"},
         R"("C:\Program Files\Kits\signtool.exe" C:\a&b^c%PATH%\x.exe)"},
    };
    for (const Case& c : kCases) EXPECT_EQ(packer::WindowsCommandLine(c.words), c.line) << c.line;
}

// The programs shipped: images that say what they are.
const std::string kSetup = uztest::ProgramImage() + "setup";
const std::string kLibrary = uztest::LibraryImage() + "library";

class Signing : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(folder / "app" / "writer.exe", "MZ the program");
        WriteFile(tool("setup.exe"), kSetup);
        WriteFile(tool("unzip32.dll"), kLibrary);
        WriteFile(tool("setup-launcher.exe"), uztest::ProgramImage());
        fs::create_directories(place);
    }
    std::string tool(const char* name) const { return (folder / "tools" / name).string(); }

    int Run(std::vector<fs::path> args, const std::string& sign) {
        args.insert(args.end(), {"--launcher", tool("setup-launcher.exe")});
        if (!sign.empty()) args.insert(args.end(), {"--sign-command", sign});
        printed.str("");
        errors.str("");
        return packer::RunCommandLine(args, packer::SystemHost(), printed, errors);
    }
    int Build(const std::string& sign) {
        return Run({"build", folder / "app", package, "--target", "W", "--exe", "writer.exe", "--setup-exe",
                    tool("setup.exe"), "--unzip-dll", tool("unzip32.dll"), "--single-file", single},
                   sign);
    }
    int Bundle(const std::string& sign) { return Run({"bundle", package, single}, sign); }

    // setup.exe and unzip32.dll as the single file carries them, read by python3's zipfile.
    std::string Carried() {
        const fs::path plain = folder / "carried.exe";
        const fs::path carried = folder / "carried";
        fs::copy_file(single, plain, fs::copy_options::overwrite_existing);
        fs::remove_all(carried);
        int status = 0;
        Capture("python3 -c \"import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2], "
                "['setup.exe', 'unzip32.dll'])\" '" + plain.string() + "' '" + carried.string() + "'",
                status);
        return ReadFile(carried / "setup.exe") + "|" + ReadFile(carried / "unzip32.dll");
    }
    std::vector<std::string> Left() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(place)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder folder;
    // A folder a shell would read as quotes, a command and a variable.
    fs::path place = folder / "it's \"$(touch pwned)\" $HOME";
    fs::path package = place / "package";
    fs::path single = place / "W Setup.exe";
    std::ostringstream printed, errors;
};

const char* const kSignInPlace = R"(sh -c 'printf " signed" >> "$1"' sh {file})";
const char* const kSignToNewFile = R"(sh -c 'cat "$1" > "$2" && printf " signed" >> "$2"' sh {in} {out})";

TEST_F(Signing, EveryProgramWrittenIsSignedOnceAndTheSingleFileAfterThemBundleSigningOnlyCopies) {
    for (const char* sign : {kSignInPlace, kSignToNewFile}) {
        fs::remove_all(package);
        ASSERT_EQ(Build(sign), 0) << sign << errors.str();
        EXPECT_EQ(ReadFile(package / "setup.exe"), kSetup + " signed") << sign;
        EXPECT_EQ(ReadFile(package / "unzip32.dll"), kLibrary + " signed") << sign;
        EXPECT_EQ(Carried(), kSetup + " signed|" + kLibrary + " signed") << sign;
        EXPECT_TRUE(ReadFile(single).ends_with(" signed")) << sign;
        EXPECT_EQ(ReadFile(tool("setup.exe")), kSetup) << sign;
        EXPECT_EQ(Left(), (std::vector<std::string>{"W Setup.exe", "package"})) << sign;
        EXPECT_NE(printed.str().find("W Setup.exe written and signed"), std::string::npos) << printed.str();
    }
    fs::remove_all(package);
    ASSERT_EQ(Build(""), 0) << errors.str();
    ASSERT_EQ(Bundle(kSignToNewFile), 0) << errors.str();
    EXPECT_EQ(ReadFile(package / "setup.exe"), kSetup);
    EXPECT_EQ(Carried(), kSetup + " signed|" + kLibrary + " signed");
    EXPECT_TRUE(ReadFile(single).ends_with(" signed"));
    EXPECT_FALSE(fs::exists(folder / "pwned"));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST_F(Signing, AFailingCommandStopsWithItsOutputAndLeavesNothingHalfSigned) {
    struct Case {
        const char* what;
        std::string sign;
        bool bundle;
        Words left;         // in `place` afterwards
        const char* error;  // part of the error output
    };
    const std::string failOnSingleFile =
        R"(sh -c 'case "$1" in *"W Setup.exe") echo no time stamp; exit 1;; esac; printf " signed" >> "$1"' sh {file})";
    // Signs every program in place, but does `action` to the single file
    // and ends with 0 all the same; $0 is the bare launcher.
    const auto onSingleFile = [&](const std::string& action) {
        return R"(sh -c 'case "$1" in *"W Setup.exe") )" + action + R"(;; *) printf " signed" >> "$1";; esac' )" +
               tool("setup-launcher.exe") + " {file}";
    };
    const std::string libraryMadeProgram =
        R"(sh -c 'case "$1" in *unzip32.dll) cat "$0" > "$1";; esac' )" + tool("setup.exe") + " {file}";
    const Case kCases[] = {
        {"failing on setup.exe", R"(sh -c 'echo cannot read the key >&2; exit 3' sh {file})", false, {},
         "failed: the sign command ended with exit code 3; its output:\ncannot read the key\n"
         "setup-pack: nothing written\n"},
        {"failing on the single file", failOnSingleFile, false, {"package"},
         "W Setup.exe\" failed: the sign command ended with exit code 1; its output:\nno time stamp\n"},
        {"not found", "no-such-signing-tool {file}", false, {}, "the sign command cannot be started"},
        {"writing no {out}", "true {in} {out}", false, {}, "the sign command wrote no"},
        {"bundling, failing on a copy of setup.exe", "false {file}", true, {"package"}, "failed: the sign command ended"},
        {"bundling, failing on the single file", failOnSingleFile, true, {"package"}, "no time stamp"},
        // Ending with 0 after spoiling the file.
        {"emptying setup.exe", R"(sh -c ': > "$1"' sh {file})", false, {},
         "failed: the sign command ended with exit code 0, but the file it left is not a Windows program: the "
         "program file is too short"},
        {"cutting setup.exe to 1000 bytes", "truncate -s 1000 {file}", false, {}, "the program file is cut short"},
        {"making unzip32.dll a program", libraryMadeProgram, false, {}, "is a program, not a library (DLL)"},
        {"leaving the bare launcher as the single file", onSingleFile(R"(cat "$0" > "$1")"), false, {"package"},
         "carries a package the launcher cannot read: the package it carries is missing or cut short"},
        {"bundling, cutting the single file", onSingleFile(R"(truncate -s 1000 "$1")"), true, {"package"},
         "the program file is cut short"},
    };
    for (const Case& c : kCases) {
        fs::remove_all(package);
        if (c.bundle) {
            ASSERT_EQ(Build(""), 0) << errors.str();
            fs::remove(single);
        }
        EXPECT_EQ(c.bundle ? Bundle(c.sign) : Build(c.sign), 74) << c.what;
        EXPECT_NE(errors.str().find(c.error), std::string::npos) << c.what << ": " << errors.str();
        EXPECT_EQ(Left(), c.left) << c.what;
        // The package folder left is whole: as it was (bundle), or signed (build).
        if (!c.left.empty()) {
            EXPECT_EQ(ReadFile(package / "setup.exe"), c.bundle ? kSetup : kSetup + " signed") << c.what;
        }
    }
}

}  // namespace
