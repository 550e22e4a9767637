// The Install button: archive and folder checks, folder creation, extraction,
// shortcuts, the completion question and the launch of the installed program.
#include <string>

#include "common/failure.h"
#include "installer/destination.h"
#include "installer/frm_setup.h"
#include "installer/message_excerpt.h"
#include "platform/platform.h"
#include "unzip/unzip_files.h"

namespace installer {

namespace {

using common::Tolerate;
using platform::dialogs;

// Prompts and titles of the procedure's boxes. A line break is a lone CR.
constexpr wchar_t kArchiveMissing[] = L"Error: Can't locate Setup.zip";
constexpr wchar_t kCreateFolderQuestion[] =
    L"The destination folder does not exist.\rDo you want to create it now?";
constexpr wchar_t kCannotCreateFolder[] = L"Can't create the destination folder..";
constexpr wchar_t kArchiveGone[] = L"Error extracting files..";
constexpr wchar_t kCompletedQuestion[] =
    L"Setup was completed succesfully!\r\rDo you want to start the application now?";
constexpr wchar_t kErrorTitle[] = L"Error";
constexpr wchar_t kCompletedTitle[] = L"Installation completed";
constexpr wchar_t kApplicationTitleBox[] = L"";  // the box carries the application title

}  // namespace

common::Truth16 frmSetup::FileExists(const std::wstring& Name_of_File) {
    return common::ToTruth(!platform::files().Dir(Name_of_File, platform::kAttrNormal).empty());
}

common::Truth16 frmSetup::FolderExists(const std::wstring& Name_of_Folder) {
    return common::ToTruth(
        !platform::files().Dir(Name_of_Folder, platform::kAttrDirectory).empty());
}

void frmSetup::ExtractArchive(std::wstring zipPath, const std::wstring& targetDir) {
    unzip::UnzipFiles unzipper;
    unzipper.ZipFileName(zipPath);
    unzipper.ExtractDir(targetDir);
    if (unzipper.Unzip(L"", L"") != 0) {
        dialogs().MsgBox(MessageExcerpt(unzipper.GetLastMessage()), platform::kOkOnly,
                         kApplicationTitleBox);
    }
}

void frmSetup::StartProgram() {
    platform::processes().Shell(InFolder(settings_.TargetDir, settings_.ExeFile),
                                platform::kNormalFocus);
}

void frmSetup::CloseAndEnd(bool tolerant) {
    if (tolerant) {
        Tolerate([&] { controls_.Unload(); });
    } else {
        controls_.Unload();
    }
    platform::processes().End(0);
    std::abort();  // End does not return
}

// Failures pass to the caller (and end the program with the standard report)
// until the user agrees to create a missing destination folder; from then on
// a failing step is abandoned and the procedure goes on with the next one.
void frmSetup::Command1_Click() {
    if (!FileExists(settings_.ZipPath)) {
        dialogs().MsgBox(kArchiveMissing, platform::kOkOnly, kApplicationTitleBox);
        CloseAndEnd(false);
    }

    bool tolerant = false;
    // Runs one step under the regime in force.
    auto step = [&tolerant](auto&& action) {
        if (tolerant) {
            Tolerate(action);
        } else {
            action();
        }
    };

    // The folder from the settings file is the one tested; the text box is
    // read only afterwards.
    if (!FolderExists(settings_.TargetDir)) {
        if (dialogs().MsgBox(kCreateFolderQuestion, platform::kYesNo, kApplicationTitleBox) ==
            platform::kAnswerNo) {
            return;
        }
        tolerant = true;
        Tolerate([&] { platform::files().MkDir(settings_.TargetDir); });
        bool created = false;
        Tolerate([&] { created = FolderExists(settings_.TargetDir) != 0; });
        if (!created) {
            Tolerate([] { dialogs().MsgBox(kCannotCreateFolder, platform::kOkOnly, kErrorTitle); });
            CloseAndEnd(tolerant);
        }
    }

    // The archive may have gone while the question was open. A test that
    // fails counts as a missing archive once failures are tolerated.
    bool archivePresent = false;
    step([&] { archivePresent = FileExists(settings_.ZipPath) != 0; });
    if (!archivePresent) {
        step([&] { dialogs().MsgBox(kArchiveGone, platform::kOkOnly, kErrorTitle); });
        CloseAndEnd(tolerant);
    }

    step([&] { settings_.TargetDir = controls_.TargetText(); });
    if (!settings_.TargetDir.empty() && settings_.TargetDir.back() == L'\\') {
        settings_.TargetDir.pop_back();
    }
    step([&] { settings_.TargetDir = FullDestination(settings_.TargetDir); });

    step([&] { ExtractArchive(settings_.ZipPath, settings_.TargetDir); });

    if (settings_.DesktopShortcut != 0) {
        MakeShortcut(settings_.ShortcutName, settings_.TargetDir, settings_.ExeFile, L"Desktop");
    }
    if (settings_.ProgramsShortcut != 0) {
        MakeShortcut(settings_.ShortcutName, settings_.TargetDir, settings_.ExeFile, L"Programs");
    }

    if (settings_.AutoLaunch == common::kTrue) {
        step([&] { StartProgram(); });
    } else {
        int answer = platform::kAnswerNo;
        step([&] {
            answer = dialogs().MsgBox(kCompletedQuestion, platform::kYesNo, kCompletedTitle);
        });
        if (answer == platform::kAnswerYes) step([&] { StartProgram(); });
    }

    CloseAndEnd(tolerant);
}

}  // namespace installer
