// The Install button's whole decision table, against a scripted world: each
// test reads as the boxes, calls and the end of the program it expects.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "fake_world.h"
#include "installer/event_dispatch.h"
#include "installer/frm_setup.h"

namespace {

using platform::kAnswerNo;
using platform::kAnswerYes;
using testing::ElementsAre;
using testing::ElementsAreArray;

using Journal = std::vector<std::wstring>;

const std::wstring kZip = L"D:\\Install\\Setup.zip";
const std::wstring kTarget = L"C:\\Program Files\\Sample Writer";
const std::wstring kExe = kTarget + L"\\writer.exe";

const std::wstring kQuestion =
    L"Box 4 [] The destination folder does not exist.\rDo you want to create it now?";
const std::wstring kCompletion =
    L"Box 4 [Installation completed] Setup was completed succesfully!\r\r"
    L"Do you want to start the application now?";
const std::wstring kUnzip = L"Unzip " + kZip + L" -> " + kTarget;

// A package as the person installing it finds it: Setup.ini in D:\Install.
class Install : public testing::Test {
protected:
    void Load(const std::string& extraLines = "") {
        world.SetupFile("TARGET=Sample Writer\rZIPFILE=Setup.zip\rEXEFILE=writer.exe\r" + extraLines);
        form.Form_Load();
        world.journal.clear();
    }

    // Presses Install as the window does: failures get the standard report.
    // Returns the exit code, or -1 when the program goes on.
    int PressInstall() {
        try {
            installer::DispatchEvent([this] { form.Command1_Click(); });
        } catch (const fake::ProgramEnded& ended) {
            return ended.exitCode;
        }
        return -1;
    }

    // The archive is there and extracts writer.exe.
    void GoodArchive() {
        world.AddFile(kZip);
        world.unzip.extracts = {L"writer.exe"};
    }

    fake::World world;
    fake::Controls& controls = world.controls;
    installer::frmSetup form{controls};
};

TEST_F(Install, ArchiveMissingEndsAtOnceWithoutAnyOtherQuestion) {
    Load();
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal,
                ElementsAre(L"Box 0 [] Error: Can't locate Setup.zip", L"Unload", L"End 0"));
}

TEST_F(Install, PresentFolderInstallsWithoutAskingAndStartsOnYes) {
    Load();
    GoodArchive();
    world.AddFolder(kTarget);
    world.Answer(kAnswerYes);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal, ElementsAre(kUnzip, kCompletion, L"Start " + kExe + L" (1)",
                                           L"Unload", L"End 0"));
}

TEST_F(Install, CompletionAnsweredNoStartsNothing) {
    Load();
    GoodArchive();
    world.AddFolder(kTarget);
    world.Answer(kAnswerNo);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal, ElementsAre(kUnzip, kCompletion, L"Unload", L"End 0"));
}

TEST_F(Install, MissingFolderAnsweredNoKeepsTheWindowOpenAndAsksAgain) {
    Load();
    GoodArchive();
    world.Answer(kAnswerNo);
    world.Answer(kAnswerNo);
    EXPECT_EQ(PressInstall(), -1);
    EXPECT_EQ(PressInstall(), -1);
    EXPECT_THAT(world.journal, ElementsAre(kQuestion, kQuestion));
    EXPECT_EQ(form.Settings().TargetDir, kTarget);
}

TEST_F(Install, MissingFolderAnsweredYesIsCreatedOneLevel) {
    Load();
    GoodArchive();
    world.AddFolder(L"C:\\Program Files");
    world.Answer(kAnswerYes);
    world.Answer(kAnswerNo);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal, ElementsAre(kQuestion, L"MkDir " + kTarget, kUnzip, kCompletion,
                                           L"Unload", L"End 0"));
}

TEST_F(Install, FolderThatCannotBeCreatedEndsWithItsError) {
    Load();
    GoodArchive();  // "C:\Program Files" itself is missing: one level cannot do it
    world.Answer(kAnswerYes);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal,
                ElementsAre(kQuestion, L"MkDir " + kTarget,
                            L"Box 0 [Error] Can't create the destination folder..", L"Unload",
                            L"End 0"));
}

TEST_F(Install, FolderTestThatFailsAfterCreationCountsAsMissing) {
    Load();
    GoodArchive();
    world.AddFolder(L"C:\\Program Files");
    world.Answer(kAnswerYes);
    world.onEvent = [this](const std::wstring& entry) {
        if (entry.rfind(L"MkDir", 0) == 0) world.failingNames.insert(kTarget);
    };
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal,
                ElementsAre(kQuestion, L"MkDir " + kTarget,
                            L"Box 0 [Error] Can't create the destination folder..", L"Unload",
                            L"End 0"));
}

TEST_F(Install, ArchiveGoneWhileAskingEndsWithTheExtractionError) {
    Load();
    GoodArchive();
    world.AddFolder(L"C:\\Program Files");
    world.Answer(kAnswerYes);
    world.onEvent = [this](const std::wstring& entry) {
        if (entry == kQuestion) world.files.erase(kZip);
    };
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal, ElementsAre(kQuestion, L"MkDir " + kTarget,
                                           L"Box 0 [Error] Error extracting files..", L"Unload",
                                           L"End 0"));
}

TEST_F(Install, FailingListingIsTheStandardReportBeforeTheQuestion) {
    Load();
    GoodArchive();
    world.failingNames.insert(kTarget);
    EXPECT_EQ(PressInstall(), 52);
    ASSERT_EQ(world.journal.size(), 2u);
    EXPECT_EQ(world.journal[0].rfind(L"Box 16 [] Run-time error '52':\r\rBad file name", 0), 0u)
        << testing::PrintToString(world.journal[0]);
    EXPECT_EQ(world.journal[1], L"End 52");
}

TEST_F(Install, TypedFolderIsUsedButNotTested) {
    Load();
    GoodArchive();
    world.AddFolder(kTarget);
    controls.target = L"E:\\Elsewhere";
    world.Answer(kAnswerYes);
    world.unzip.extracts = {L"writer.exe"};
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal, ElementsAre(L"Unzip " + kZip + L" -> E:\\Elsewhere", kCompletion,
                                           L"Start E:\\Elsewhere\\writer.exe (1)", L"Unload",
                                           L"End 0"));
}

// The folder typed into the box, completed once: extraction, shortcut and
// launch all name the same folder (the installer's current folder is
// D:\Downloads).
struct TypedCase {
    const wchar_t* typed;
    const wchar_t* folder;
    const wchar_t* program;
};

class TypedFolder : public Install, public testing::WithParamInterface<TypedCase> {};

TEST_P(TypedFolder, IsCompletedOnceForExtractionShortcutAndLaunch) {
    Load("SHORTCUTDESKTOP=Writer\r");
    world.AddFile(kZip);
    world.AddFolder(kTarget);
    world.AddFile(GetParam().program);
    controls.target = GetParam().typed;
    world.Answer(kAnswerYes);
    EXPECT_EQ(PressInstall(), 0);
    const std::wstring folder = GetParam().folder, program = GetParam().program;
    EXPECT_EQ(form.Settings().TargetDir, folder);
    EXPECT_THAT(world.journal,
                ElementsAre(L"Unzip " + kZip + L" -> " + folder,
                            L"Shortcut C:\\Users\\me\\Desktop\\Writer.lnk -> " + program + L" [] in " + folder,
                            kCompletion, L"Start " + program + L" (1)", L"Unload", L"End 0"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypedFolder,
    testing::Values(TypedCase{L"C:\\Apps\\", L"C:\\Apps", L"C:\\Apps\\writer.exe"},
                    TypedCase{L"C:\\Apps\\\\", L"C:\\Apps\\", L"C:\\Apps\\writer.exe"},
                    // The root of a drive, not the current folder of that drive.
                    TypedCase{L"C:\\", L"C:\\", L"C:\\writer.exe"},
                    TypedCase{L"C:", L"C:\\", L"C:\\writer.exe"},
                    // Not the root of the current drive.
                    TypedCase{L"", L"D:\\Downloads", L"D:\\Downloads\\writer.exe"},
                    TypedCase{L"Apps\\Writer", L"D:\\Downloads\\Apps\\Writer",
                              L"D:\\Downloads\\Apps\\Writer\\writer.exe"},
                    TypedCase{L"\\Apps", L"D:\\Apps", L"D:\\Apps\\writer.exe"}));

TEST_F(Install, LibraryFailureIsShownAndTheInstallationCarriesOn) {
    Load("SHORTCUTPROGRAMS=Writer\r");
    GoodArchive();
    world.AddFolder(kTarget);
    world.unzip.result = 2;
    world.unzip.printed = "error: Setup.zip is corrupt\n";
    world.Answer(kAnswerNo);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal,
                ElementsAre(kUnzip, L"Box 0 [] error: Setup.zip is corrupt\n",
                            L"Shortcut C:\\Users\\me\\Start Menu\\Programs\\Writer.lnk -> " + kExe +
                                L" [] in " + kTarget,
                            kCompletion, L"Unload", L"End 0"));
}

TEST_F(Install, ExtractionFailureEndsWithTheReportWhenTheFolderExisted) {
    Load("SHORTCUTDESKTOP=Writer\r");
    GoodArchive();
    world.AddFolder(kTarget);
    world.ansiFails = true;
    EXPECT_EQ(PressInstall(), 7);
    ASSERT_EQ(world.journal.size(), 2u);
    EXPECT_EQ(world.journal[0].rfind(L"Box 16 [] Run-time error '7':\r\rOut of memory", 0), 0u);
    EXPECT_EQ(world.journal[1], L"End 7");
}

TEST_F(Install, ExtractionFailureIsSkippedAfterCreatingTheFolder) {
    Load("SHORTCUTDESKTOP=Writer\r");
    GoodArchive();
    world.AddFolder(L"C:\\Program Files");
    world.ansiFails = true;
    world.Answer(kAnswerYes);
    world.Answer(kAnswerNo);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal,
                ElementsAre(kQuestion, L"MkDir " + kTarget,
                            L"Shortcut C:\\Users\\me\\Desktop\\Writer.lnk -> " + kExe + L" [] in " +
                                kTarget,
                            kCompletion, L"Unload", L"End 0"));
}

TEST_F(Install, AutoLaunchStartsWithoutTheCompletionQuestion) {
    Load("AUTOLAUNCH=TRUE\r");
    GoodArchive();
    world.AddFolder(kTarget);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal, ElementsAre(kUnzip, L"Start " + kExe + L" (1)", L"Unload", L"End 0"));
}

TEST_F(Install, MissingProgramIsTheStandardReportWhenStrict) {
    Load("AUTOLAUNCH=1\r");
    world.AddFile(kZip);  // extracts nothing
    world.AddFolder(kTarget);
    EXPECT_EQ(PressInstall(), 53);
    ASSERT_EQ(world.journal.size(), 4u);
    EXPECT_EQ(world.journal[1], L"Start " + kExe + L" (1)");
    EXPECT_EQ(world.journal[2].rfind(L"Box 16 [] Run-time error '53':\r\rFile not found", 0), 0u);
    EXPECT_EQ(world.journal[3], L"End 53");
}

TEST_F(Install, MissingProgramIsIgnoredWhenTolerant) {
    Load();
    world.AddFile(kZip);
    world.AddFolder(L"C:\\Program Files");
    world.Answer(kAnswerYes);
    world.Answer(kAnswerYes);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal, ElementsAre(kQuestion, L"MkDir " + kTarget, kUnzip, kCompletion,
                                           L"Start " + kExe + L" (1)", L"Unload", L"End 0"));
}

TEST_F(Install, BothShortcutsDesktopFirstUnderTheLaterName) {
    Load("SHORTCUTPROGRAMS=Sample Writer\rSHORTCUTDESKTOP=Writer\r");
    GoodArchive();
    world.AddFolder(kTarget);
    world.Answer(kAnswerNo);
    PressInstall();
    EXPECT_THAT(world.journal,
                ElementsAreArray(Journal{
                    kUnzip,
                    L"Shortcut C:\\Users\\me\\Desktop\\Writer.lnk -> " + kExe + L" [] in " + kTarget,
                    L"Shortcut C:\\Users\\me\\Start Menu\\Programs\\Writer.lnk -> " + kExe +
                        L" [] in " + kTarget,
                    kCompletion, L"Unload", L"End 0"}));
}

TEST_F(Install, UnavailableShellGivesOneBoxPerShortcutAndCarriesOn) {
    Load("SHORTCUTPROGRAMS=Writer\rSHORTCUTDESKTOP=Writer\r");
    GoodArchive();
    world.AddFolder(kTarget);
    world.shellUnavailable = true;
    world.Answer(kAnswerNo);
    EXPECT_EQ(PressInstall(), 0);
    const std::wstring box = L"Box 0 [Creating Shortcut] ActiveX component can't create object";
    EXPECT_THAT(world.journal, ElementsAre(kUnzip, box, box, kCompletion, L"Unload", L"End 0"));
}

TEST_F(Install, ShortcutThatCannotBeSavedShowsTheDescription) {
    Load("SHORTCUTDESKTOP=Writer\r");
    GoodArchive();
    world.AddFolder(kTarget);
    world.shortcutSaveFails = true;
    world.Answer(kAnswerNo);
    EXPECT_EQ(PressInstall(), 0);
    EXPECT_THAT(world.journal,
                ElementsAre(kUnzip, L"Box 0 [Creating Shortcut] Save: Access is denied", kCompletion,
                            L"Unload", L"End 0"));
}

}  // namespace
