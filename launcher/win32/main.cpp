// setup-launcher.exe, the program of the single-file installer: it unpacks
// the package it carries into a private folder, starts setup.exe from there,
// waits for it, removes the folder and exits with setup.exe's exit code. It
// reads nothing beside itself: a Setup.ini, an archive or an unzip32.dll next
// to the downloaded file is never looked at.
#include <windows.h>

#include <initializer_list>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "common/application.h"
#include "common/failure.h"
#include "installer/win32/safe_start.h"
#include "launcher/payload.h"
#include "launcher/win32/application_name.h"
#include "launcher/win32/held_folder_files.h"
#include "launcher/win32/private_folder.h"
#include "launcher/win32/run_setup.h"
#include "launcher/win32/system_message.h"
#include "launcher/win32/unpacking_window.h"
#include "platform/win32/win32_services.h"
#include "unzip32/reuse/names.h"

namespace {

using launcher::Payload;
using launcher::PayloadResult;
using launcher::PayloadStatus;
using launcher::win32::FolderProblem;
using launcher::win32::PrivateFolder;
using launcher::win32::SystemMessage;
using launcher::win32::UnpackingWindow;

// The launcher's own exit codes, for when setup.exe does not run: Windows
// error numbers, clear of the failure numbers setup.exe itself exits with.
constexpr int kExitCancelled = 1223;  // ERROR_CANCELLED
constexpr int kExitDamaged = 1392;    // ERROR_FILE_CORRUPT
constexpr int kExitFailed = 1603;     // ERROR_INSTALL_FAILURE

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = uz::Utf8ToUtf16(utf8);
    return std::wstring(text.begin(), text.end());
}

// A box of its own, before any window exists or after the last is gone,
// with the message made of `parts`.
int Refuse(int exitCode, std::initializer_list<std::wstring_view> parts) {
    std::wstring message;
    for (const std::wstring_view part : parts) message += part;
    MessageBoxW(nullptr, message.c_str(), common::kApplicationTitle,
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    return exitCode;
}

int RefuseDamaged(const std::string& detail) {
    return Refuse(kExitDamaged, {L"This installer is damaged: ", Wide(detail),
                                 L".\n\nNothing has been installed. Please download the installer again."});
}

// Why there is no folder to unpack into.
int RefuseFolder(const PrivateFolder& folder, const FolderProblem& problem) {
    constexpr wchar_t kNoFolder[] = L"The installer cannot make a folder for its files in ";
    switch (problem.kind) {
    case FolderProblem::Elsewhere:
        return Refuse(kExitFailed, {kNoFolder, folder.Path(), L": Windows has it at ", problem.where, L"."});
    case FolderProblem::NoAccessLists:
        return Refuse(kExitFailed, {kNoFolder, folder.Path(), L": its drive keeps no permissions."});
    default:
        return Refuse(kExitFailed, {kNoFolder, problem.where, L": ", SystemMessage(problem.error), L"."});
    }
}

// Setup.ini first: the window, should it appear, can then name the application.
PayloadResult UnpackAll(Payload& payload, const PrivateFolder& folder, UnpackingWindow& window) {
    launcher::win32::HeldFolderFiles destination(folder.Handle());
    const size_t settings = payload.Find(launcher::kSetupFile);
    PayloadResult result = payload.Unpack(settings, destination, window);
    if (!result.ok()) return result;
    window.SetName(launcher::win32::ApplicationName(folder.Path(), folder.Handle()));
    for (size_t file = 0; file < payload.FileCount() && result.ok(); ++file) {
        if (file != settings) result = payload.Unpack(file, destination, window);
    }
    return result;
}

int Launch(HINSTANCE instance) {
    std::unique_ptr<uz::ArchiveInput> program;
    const std::wstring self = platform::win32::ProgramFile();
    if (const uz::os::Status opened = uz::os::OpenArchive(self, program); !opened.ok())
        return Refuse(kExitFailed, {L"The installer cannot read its own file: ", SystemMessage(opened.code, self), L"."});
    Payload payload(*program);
    if (const PayloadResult opened = payload.Open(); !opened.ok()) return RefuseDamaged(opened.detail);

    PrivateFolder folder;
    if (FolderProblem problem; !folder.Create(problem)) return RefuseFolder(folder, problem);
    UnpackingWindow window(instance, payload.TotalSize());
    const PayloadResult unpacked = UnpackAll(payload, folder, window);
    const bool cancelled = window.Finish();
    if (cancelled) {
        folder.Remove();
        return kExitCancelled;
    }
    if (!unpacked.ok()) {
        folder.Remove();
        switch (unpacked.status) {
            case PayloadStatus::Stopped: return kExitCancelled;
            case PayloadStatus::Damaged: return RefuseDamaged(unpacked.detail);
            default:
                return Refuse(kExitFailed, {L"The installer cannot unpack its files: ", Wide(unpacked.detail), L"."});
        }
    }

    unsigned long exitCode = 0, error = 0;
    std::wstring setup = folder.Path();
    setup += L'\\';
    setup += Wide(launcher::kSetupProgram);
    if (!launcher::win32::RunAndWait(setup, exitCode, error)) {
        folder.Remove();
        return Refuse(kExitFailed, {L"The installer cannot start setup.exe: ", SystemMessage(error, setup), L"."});
    }
    folder.Remove();
    return static_cast<int>(exitCode);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything else can pull in a library.
    installer::win32::RestrictLibrarySearch();
    try {
        return Launch(instance);
    } catch (const common::Failure& failure) {
        return Refuse(kExitFailed, {failure.Description()});
    } catch (const std::bad_alloc&) {
        return Refuse(kExitFailed, {L"The installer ran out of memory."});
    } catch (...) {
        return Refuse(kExitFailed, {L"The installer met an internal error."});
    }
}
