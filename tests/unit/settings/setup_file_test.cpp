// Setup.ini read through frmSetup::Form_Load against a scripted file system
// and window, and into plain values without a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/failure.h"
#include "expect_failure.h"
#include "fake_world.h"
#include "installer/event_dispatch.h"
#include "installer/frm_setup.h"
#include "installer/setup_file.h"

namespace {

using fake::World;
using testsupport::ExpectFailure;
using common::kFalse;
using common::kTrue;
using common::Truth16;

constexpr wchar_t kDesignedCaption[] = L"Setup";
constexpr wchar_t kDesignedMessage[] =
    L"Press the Install button to start the installation of this program";

// What the window and the settings record show after loading.
struct Loaded {
    std::wstring caption = kDesignedCaption;
    std::wstring message = kDesignedMessage;
    std::wstring target;
    std::wstring TargetDir;
    std::wstring ExeFile;
    std::wstring ShortcutName;
    Truth16 ProgramsShortcut = kFalse;
    Truth16 DesktopShortcut = kFalse;
    Truth16 AutoLaunch = kFalse;
    std::wstring ZipPath;
};

struct LoadCase {
    const char* name;
    std::string file;
    Loaded expected;
    std::wstring programFolder = L"D:\\Install";
};

Loaded Observe(const std::wstring& caption, const std::wstring& message, const std::wstring& target,
               const installer::InstallerSettings& s) {
    return {caption,            message,           target,
            s.TargetDir,        s.ExeFile,         s.ShortcutName,
            s.ProgramsShortcut, s.DesktopShortcut, s.AutoLaunch,
            s.ZipPath};
}

Loaded Observe(const fake::Controls& controls, const installer::InstallerSettings& s) {
    return Observe(controls.caption, controls.message, controls.target, s);
}

// Plain values show on a window that starts as designed.
Loaded Observe(const installer::SetupFileValues& v) {
    return Observe(v.texts.caption.value_or(kDesignedCaption),
                   v.texts.message.value_or(kDesignedMessage), v.texts.target.value_or(L""),
                   v.settings);
}

void ExpectLoaded(const Loaded& actual, const Loaded& expected) {
    EXPECT_EQ(actual.caption, expected.caption);
    EXPECT_EQ(actual.message, expected.message);
    EXPECT_EQ(actual.target, expected.target);
    EXPECT_EQ(actual.TargetDir, expected.TargetDir);
    EXPECT_EQ(actual.ExeFile, expected.ExeFile);
    EXPECT_EQ(actual.ShortcutName, expected.ShortcutName);
    EXPECT_EQ(actual.ProgramsShortcut, expected.ProgramsShortcut);
    EXPECT_EQ(actual.DesktopShortcut, expected.DesktopShortcut);
    EXPECT_EQ(actual.AutoLaunch, expected.AutoLaunch);
    EXPECT_EQ(actual.ZipPath, expected.ZipPath);
}

Loaded Designed() { return {}; }

Loaded With(void (*change)(Loaded&)) {
    Loaded l;
    change(l);
    return l;
}

const std::string kWorkedExample =
    "[Setup]\r\n"
    "MESSAGE=This installs Sample Writer 1.2 on your computer.\r\n"
    "APPLICATION=Sample Writer 1.2\r\n"
    "TARGET=Sample Writer\r\n"
    "ZIPFILE=Setup.zip\r\n"
    "EXEFILE=writer.exe\r\n"
    "SHORTCUTPROGRAMS=Sample Writer\r\n"
    "SHORTCUTDESKTOP=Writer\r\n"
    "AUTOLAUNCH=false\r\n"
    "autolaunch=1\r\n"
    "TARGET = Other\r\n"
    "MESSAGE=Step 1=copy\r\n";

const LoadCase kLoadCases[] = {
    {"WorkedExample", kWorkedExample, With([](Loaded& l) {
         l.caption = L" Sample Writer 1.2 (Setup by Quenbrook)";
         l.message = L"Step 1";
         l.target = l.TargetDir = L"C:\\Program Files\\Sample Writer";
         l.ZipPath = L"D:\\Install\\Setup.zip";
         l.ExeFile = L"writer.exe";
         l.ShortcutName = L"Writer";
         l.ProgramsShortcut = l.DesktopShortcut = kTrue;
         l.AutoLaunch = kFalse;
     })},
    {"EmptyFile", "", Designed()},
    {"OnlyUnknownKeysAndLinesWithoutEquals",
     "[Setup]\r\n; comment\r\n\r\nmessage=x\r\nTarget=y\r\nMESSAGE =z\r\n MESSAGE=w\r\nNAME=v\r\n",
     Designed()},
    {"LinesStartingWithEqualsHaveAnEmptyKey", "=\r\n=MESSAGE=x\r\n==\r\n", Designed()},
    {"EmptyTargetEndsInTheSeparator", "TARGET=", With([](Loaded& l) {
         l.target = l.TargetDir = L"C:\\Program Files\\";
     })},
    {"FullPathTargetStillGoesBelowTheFixedPrefix", "TARGET=D:\\Apps\\W", With([](Loaded& l) {
         l.target = l.TargetDir = L"C:\\Program Files\\D:\\Apps\\W";
     })},
    {"EmptyApplicationGivesTwoSpacesBeforeTheCredit", "APPLICATION=",
     With([](Loaded& l) { l.caption = L"  (Setup by Quenbrook)"; })},
    {"EmptyShortcutValueStillSetsTheFlag", "SHORTCUTDESKTOP=",
     With([](Loaded& l) { l.DesktopShortcut = kTrue; })},
    {"BothShortcutLinesShareTheLaterName", "SHORTCUTDESKTOP=A\rSHORTCUTPROGRAMS=B\r",
     With([](Loaded& l) {
         l.ShortcutName = L"B";
         l.DesktopShortcut = l.ProgramsShortcut = kTrue;
     })},
    {"LaterMessageWins", "MESSAGE=first\rMESSAGE=second",
     With([](Loaded& l) { l.message = L"second"; })},
    {"ValueStopsAtTheSecondEquals", "EXEFILE=a.exe=b.exe=c\r\n",
     With([](Loaded& l) { l.ExeFile = L"a.exe"; })},
    {"SpacesInValuesStay", "EXEFILE= my prog.exe \r\n",
     With([](Loaded& l) { l.ExeFile = L" my prog.exe "; })},
    {"EmptyMessageClearsTheLabel", "MESSAGE=", With([](Loaded& l) { l.message = L""; })},
    {"AccessKeyMarkersReachTheLabelUntouched", "MESSAGE=Tom && &Jerry",
     With([](Loaded& l) { l.message = L"Tom && &Jerry"; })},
    {"CrOnlyLineEnds", "EXEFILE=a.exe\rZIPFILE=p.zip\r", With([](Loaded& l) {
         l.ExeFile = L"a.exe";
         l.ZipPath = L"D:\\Install\\p.zip";
     })},
    // LF alone does not end a line: the whole file is one line, whose key is
    // the first line's and whose value runs across the LFs to the next "=".
    {"LfOnlyFileIsOneLine", "EXEFILE=a.exe\nZIPFILE=p.zip\nMESSAGE=m\n",
     With([](Loaded& l) { l.ExeFile = L"a.exe\nZIPFILE"; })},
    {"LfOnlyFileWithUnknownFirstKeyAppliesNothing", "[Setup]\nMESSAGE=m\n", Designed()},
    // The byte-order mark belongs to the first key, which no longer matches.
    {"ByteOrderMarkSpoilsTheFirstKey", "\xEF\xBB\xBFMESSAGE=m\r\nEXEFILE=e\r\n",
     With([](Loaded& l) { l.ExeFile = L"e"; })},
    {"AnsiBytesConvertThroughTheCodePage", "MESSAGE=Caf\xE9\r\n",
     With([](Loaded& l) { l.message = L"Caf\u00E9"; })},
    {"DriveRootDoublesTheSeparator", "ZIPFILE=Setup.zip\r\n",
     With([](Loaded& l) { l.ZipPath = L"E:\\\\Setup.zip"; }), L"E:\\"},
    {"UnterminatedLastLineCounts", "EXEFILE=a\r\nEXEFILE=b",
     With([](Loaded& l) { l.ExeFile = L"b"; })},
};

class LoadSetupFile : public testing::TestWithParam<LoadCase> {};

TEST_P(LoadSetupFile, AppliesTheLines) {
    const LoadCase& c = GetParam();
    World world;
    world.programFolder = c.programFolder;
    world.SetupFile(c.file);
    installer::frmSetup form(world.controls);

    form.Form_Load();

    ExpectLoaded(Observe(world.controls, form.Settings()), c.expected);
    EXPECT_EQ(world.opened, std::vector<std::wstring>{c.programFolder + L"\\Setup.ini"});
}

TEST_P(LoadSetupFile, ReadsTheSameValuesWithoutAWindow) {
    const LoadCase& c = GetParam();
    World world;
    world.programFolder = c.programFolder;
    world.SetupFile(c.file);
    installer::SetupFileValues values;

    installer::ReadSetupFile(values);

    ExpectLoaded(Observe(values), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadSetupFile, testing::ValuesIn(kLoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct AutoLaunchCase {
    const char* value;
    Truth16 expected;
};

TEST(LoadSetupFile, AutoLaunchConvertsItsValue) {
    const AutoLaunchCase cases[] = {
        {"TRUE", kTrue}, {"true", kTrue}, {"True", kTrue}, {"5", kTrue}, {"-1", kTrue},
        {"1", kTrue},    {"0", kFalse},   {"false", kFalse}, {"FALSE", kFalse},
    };
    for (const AutoLaunchCase& c : cases) {
        World world;
        // Starts true so that a false value visibly changes it.
        world.SetupFile(std::string("AUTOLAUNCH=1\r\nAUTOLAUNCH=") + c.value + "\r\n");
        installer::frmSetup form(world.controls);
        form.Form_Load();
        EXPECT_EQ(form.Settings().AutoLaunch, c.expected) << c.value;
    }
}

// A value that is not a truth value fails with 13 after the earlier lines
// were applied, to the window and to plain values alike; later lines are
// never read.
TEST(LoadSetupFile, BadAutoLaunchFailsAfterEarlierLines) {
    for (const char* value : {"yes", "", "no", " ", "1x", "true "}) {
        SCOPED_TRACE(testing::Message() << "AUTOLAUNCH=" << value);
        World world;
        world.SetupFile(std::string("MESSAGE=before\r\nAUTOLAUNCH=") + value +
                        "\r\nEXEFILE=after.exe\r\nMESSAGE=after\r\n");
        installer::frmSetup form(world.controls);
        ExpectFailure(13, [&] { form.Form_Load(); });
        installer::SetupFileValues values;
        ExpectFailure(13, [&] { installer::ReadSetupFile(values); });
        for (const Loaded& loaded : {Observe(world.controls, form.Settings()), Observe(values)}) {
            EXPECT_EQ(loaded.message, L"before");
            EXPECT_EQ(loaded.ExeFile, L"");
            EXPECT_EQ(loaded.AutoLaunch, kFalse);
        }
    }
}

struct OpenFailureCase {
    const char* name;
    bool present;
    common::FailureNumber refusal;
    int expected;
};

TEST(LoadSetupFile, OpeningFailuresPassThrough) {
    const OpenFailureCase cases[] = {
        {"missing", false, common::FailureNumber::FileNotFound, 53},
        {"denied", true, common::FailureNumber::PathFileAccess, 75},
        {"locked", true, common::FailureNumber::PermissionDenied, 70},
    };
    for (const OpenFailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        if (c.present) {
            world.SetupFile("MESSAGE=x\r\n");
            world.refusals[L"D:\\Install\\Setup.ini"] = c.refusal;
        }
        installer::frmSetup form(world.controls);
        ExpectFailure(c.expected, [&] { form.Form_Load(); });
        EXPECT_EQ(world.controls.message, kDesignedMessage);
    }
}

// Through the event dispatcher a start-up failure becomes the standard report
// titled with the application title, then the end of the program.
TEST(LoadSetupFile, StartUpFailureIsReportedAndEndsTheProgram) {
    struct Case {
        std::string file;  // empty name: no Setup.ini at all
        bool present;
        int number;
    };
    const Case cases[] = {{"", false, 53}, {"AUTOLAUNCH=yes\r\n", true, 13}};
    for (const Case& c : cases) {
        World world;
        if (c.present) world.SetupFile(c.file);
        installer::frmSetup form(world.controls);
        try {
            installer::DispatchEvent([&] { form.Form_Load(); });
            ADD_FAILURE() << "program did not end";
        } catch (const fake::ProgramEnded& ended) {
            EXPECT_EQ(ended.exitCode, c.number);
        }
        ASSERT_EQ(world.boxes.size(), 1u);
        const fake::ShownBox& box = world.boxes[0];
        EXPECT_NE(box.prompt.find(std::to_wstring(c.number)), std::wstring::npos) << box.prompt;
        EXPECT_EQ(box.title, L"");  // the application title
        EXPECT_EQ(std::count(world.journal.begin(), world.journal.end(), L"Unload"), 0);
    }
}

}  // namespace
