// The desktop's shell reached through its documented automation objects:
// the shell's window list (ShellWindows) names the desktop's browser, whose
// active view offers the Shell.Application object of the shell's own
// process; that object's ShellExecute starts the program there, so the
// program gets the shell's token, not ours.
#include <exdisp.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "common/failure.h"
#include "platform/win32/com_apartment.h"
#include "platform/win32/handles.h"
#include "platform/win32/start_routes.h"

namespace platform::win32 {

namespace {

template <typename I>
ComPtr<I> Ask(IUnknown* object, const IID& iid) {
    ComPtr<I> answer;
    if (object != nullptr && FAILED(object->QueryInterface(iid, reinterpret_cast<void**>(answer.put()))))
        answer.reset();
    return answer;
}

// The shell object of the process that shows the desktop; empty when there
// is none. Every step may be missing: no shell running (ShellWindows is
// registered by the running shell), another shell that serves no desktop
// view, a desktop without its view yet.
ComPtr<IShellDispatch2> DesktopShellObject() {
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                reinterpret_cast<void**>(windows.put()))))
        return {};
    UniqueVariant desktop, noRoot;
    desktop->vt = VT_I4;
    desktop->lVal = CSIDL_DESKTOP;
    long window = 0;
    ComPtr<IDispatch> browserObject;
    // S_FALSE, and no object, when no window is the desktop.
    if (windows->FindWindowSW(desktop.get(), noRoot.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                              browserObject.put()) != S_OK)
        return {};
    ComPtr<IServiceProvider> services = Ask<IServiceProvider>(browserObject.get(), IID_IServiceProvider);
    ComPtr<IShellBrowser> browser;
    if (!services || FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                                   reinterpret_cast<void**>(browser.put()))))
        return {};
    ComPtr<IShellView> view;
    if (FAILED(browser->QueryActiveShellView(view.put())) || !view) return {};
    ComPtr<IDispatch> background;
    if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, reinterpret_cast<void**>(background.put()))))
        return {};
    ComPtr<IShellFolderViewDual> folderView = Ask<IShellFolderViewDual>(background.get(), IID_IShellFolderViewDual);
    ComPtr<IDispatch> application;
    if (!folderView || FAILED(folderView->get_Application(application.put()))) return {};
    return Ask<IShellDispatch2>(application.get(), IID_IShellDispatch2);
}

BSTR Text(const std::wstring& text) {
    BSTR made = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (made == nullptr) common::Raise(common::FailureNumber::OutOfMemory);
    return made;
}

common::FailureNumber RefusalNumber(HRESULT refusal) {
    switch (refusal) {
        case HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND):
        case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND): return common::FailureNumber::FileNotFound;
        case E_ACCESSDENIED: return common::FailureNumber::PermissionDenied;
        case E_OUTOFMEMORY: return common::FailureNumber::OutOfMemory;
        default: return common::FailureNumber::InvalidCall;
    }
}

}  // namespace

bool StartThroughDesktopShell(const std::wstring& program, const std::wstring& folder, int windowStyle) {
    ComApartment apartment;
    if (!apartment.Started()) return false;
    ComPtr<IShellDispatch2> shell = DesktopShellObject();
    if (!shell) return false;
    // The shell's process is not in the foreground; this one is, and may let
    // it bring the program's window to the front, as a start by this process
    // would.
    static_cast<void>(CoAllowSetForegroundWindow(shell.get(), nullptr));
    UniqueBstr file(Text(program));
    UniqueVariant noArguments, directory, defaultVerb, show;
    directory->bstrVal = Text(folder);
    directory->vt = VT_BSTR;
    show->vt = VT_I4;
    show->lVal = windowStyle;
    HRESULT started = shell->ShellExecute(file.get(), *noArguments.get(), *directory.get(), *defaultVerb.get(),
                                          *show.get());
    // The shell was there and said no (the person declined an elevation the
    // program asks for, say): starting it another way would overrule that.
    if (FAILED(started)) common::Raise(RefusalNumber(started), program);
    return true;
}

}  // namespace platform::win32
