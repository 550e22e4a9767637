// setup-launcher.exe, the program of the single-file installer: it unpacks
// the package it carries into a private folder, starts setup.exe from there,
// waits for it, removes the folder and exits with setup.exe's exit code. It
// reads nothing beside itself: a Setup.ini, an archive or an unzip32.dll next
// to the downloaded file is never looked at.
#include <windows.h>

#include <memory>
#include <new>
#include <string>

#include "common/application.h"
#include "common/failure.h"
#include "installer/win32/safe_start.h"
#include "launcher/payload.h"
#include "launcher/win32/application_name.h"
#include "launcher/win32/private_folder.h"
#include "launcher/win32/run_setup.h"
#include "launcher/win32/unpacking_window.h"
#include "platform/win32/win32_services.h"
#include "unzip32/text_encoding.h"

namespace {

using launcher::Payload;
using launcher::PayloadResult;
using launcher::PayloadStatus;
using launcher::win32::PrivateFolder;
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

std::wstring SystemMessage(unsigned long error) {
    return Wide(uz::os::Describe(uz::os::Status{uz::os::Status::Failed, static_cast<int>(error)}));
}

// A box of its own, before any window exists or after the last is gone.
int Refuse(int exitCode, const std::wstring& message) {
    MessageBoxW(nullptr, message.c_str(), common::kApplicationTitle,
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    return exitCode;
}

int RefuseDamaged(const std::string& detail) {
    return Refuse(kExitDamaged, L"This installer is damaged: " + Wide(detail) +
                                    L".\n\nNothing has been installed. Please download the installer again.");
}

// Setup.ini first: the window, should it appear, can then name the application.
PayloadResult UnpackAll(Payload& payload, const std::wstring& folder, UnpackingWindow& window) {
    const uz::os::Path target = uz::os::LongPath(folder);
    const size_t settings = payload.Find(launcher::kSetupFile);
    PayloadResult result = payload.Unpack(settings, target, window);
    if (!result.ok()) return result;
    window.SetName(launcher::win32::ApplicationName(folder));
    for (size_t file = 0; file < payload.FileCount() && result.ok(); ++file) {
        if (file != settings) result = payload.Unpack(file, target, window);
    }
    return result;
}

int Launch(HINSTANCE instance) {
    std::unique_ptr<uz::ArchiveInput> program;
    if (const uz::os::Status opened = uz::os::OpenArchive(platform::win32::ProgramFile(), program); !opened.ok())
        return Refuse(kExitFailed, L"The installer cannot read its own file: " + Wide(uz::os::Describe(opened)) + L".");
    Payload payload(*program);
    if (const PayloadResult opened = payload.Open(); !opened.ok()) return RefuseDamaged(opened.detail);

    PrivateFolder folder;
    unsigned long error = 0;
    if (!folder.Create(error))
        return Refuse(kExitFailed, L"The installer cannot make a folder for its files: " + SystemMessage(error) + L".");
    UnpackingWindow window(instance, payload.TotalSize());
    const PayloadResult unpacked = UnpackAll(payload, folder.Path(), window);
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
                return Refuse(kExitFailed, L"The installer cannot unpack its files: " + Wide(unpacked.detail) + L".");
        }
    }

    unsigned long exitCode = 0;
    if (!launcher::win32::RunAndWait(folder.Path() + L"\\" + Wide(launcher::kSetupProgram), exitCode, error)) {
        folder.Remove();
        return Refuse(kExitFailed, L"The installer cannot start setup.exe: " + SystemMessage(error) + L".");
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
        return Refuse(kExitFailed, failure.Description());
    } catch (const std::bad_alloc&) {
        return Refuse(kExitFailed, L"The installer ran out of memory.");
    } catch (...) {
        return Refuse(kExitFailed, L"The installer met an internal error.");
    }
}
