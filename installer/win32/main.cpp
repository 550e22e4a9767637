// setup.exe: creates the setup window, loads Setup.ini into it before it
// shows, then waits for the user.
#include <windows.h>

#include <memory>

#include "installer/event_dispatch.h"
#include "installer/frm_setup.h"
#include "installer/win32/safe_start.h"
#include "installer/win32/setup_window.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/win32_services.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Before anything else can pull in a library.
    installer::win32::RestrictLibrarySearch();

    platform::win32::Win32Platform& services = platform::win32::BindWin32Services();
    // Only the shortcuts need COM. Without it each shortcut reports that its
    // shell object cannot be made, and the installation goes on as it does
    // when the shell component is missing.
    platform::win32::ComApartment apartment;
    services.shell.SetComStarted(apartment.Started());

    // A window that cannot be created is reported like any start-up failure.
    std::unique_ptr<installer::win32::SetupWindow> window;
    installer::DispatchEvent(
        [&] { window = std::make_unique<installer::win32::SetupWindow>(instance); });

    installer::frmSetup form(*window);
    window->OnInstall([&form] { installer::DispatchEvent([&form] { form.Command1_Click(); }); });

    // Loading runs while the window is still hidden: a failure reports and
    // ends the program before anything shows.
    installer::DispatchEvent([&form] { form.Form_Load(); });

    window->Show();
    // Boxes raised from now on are modal to the window.
    services.dialogs.SetOwner(window->Handle());
    return window->Run();
}
