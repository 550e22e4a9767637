#include "launcher/win32/unpacking_window.h"

#include <commctrl.h>

#include "common/application.h"
#include "launcher/progress_text.h"
#include "resources/resource_ids.h"

namespace launcher::win32 {

namespace {

constexpr ULONGLONG kDelayMs = 500;
// The amount is redrawn at most this often: a redraw costs more than a chunk.
constexpr ULONGLONG kRefreshMs = 100;
constexpr int kBarRange = 1000;

std::wstring MessageFor(const std::wstring& name) {
    return name.empty() ? L"Preparing the installation..." : L"Preparing the installation of " + name + L"...";
}

}  // namespace

UnpackingWindow::UnpackingWindow(HINSTANCE instance, uint64_t total)
    : instance_(instance), total_(total), started_(GetTickCount64()) {}

void UnpackingWindow::SetName(std::wstring name) {
    name_ = std::move(name);
    if (window_) ShowName();
}

void UnpackingWindow::ShowName() {
    SetWindowTextW(window_.get(), name_.empty() ? common::kApplicationTitle : name_.c_str());
    SetDlgItemTextW(window_.get(), IDC_UNPACKING_MESSAGE, MessageFor(name_).c_str());
}

bool UnpackingWindow::Unpacked(uint64_t done) {
    const ULONGLONG now = GetTickCount64();
    if (!window_) {
        if (failed_ || now - started_ < kDelayMs || done >= total_) return true;
        failed_ = !Create();
        if (failed_) return true;
    }
    if (now - shown_ >= kRefreshMs || done >= total_) {
        ShowAmount(done);
        shown_ = now;
    }
    HandleMessages();
    return !cancelled_;
}

bool UnpackingWindow::Finish() {
    HandleMessages();
    window_.reset();
    return cancelled_;
}

void UnpackingWindow::HandleMessages() {
    MSG message;
    while (window_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (!IsDialogMessageW(window_.get(), &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

bool UnpackingWindow::Create() {
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // A dialog of a class of its own: the dialog manager's window procedure
    // with its extra bytes, and the program's icon.
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = DefDlgProcW;
    cls.cbWndExtra = DLGWINDOWEXTRA;
    cls.hInstance = instance_;
    cls.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_SETUP));
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpszClassName = L"" UNPACKING_WINDOW_CLASS;
    if (!RegisterClassExW(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    window_ = UniqueWindow(CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_UNPACKING), nullptr, DialogProc,
                                              reinterpret_cast<LPARAM>(this)));
    if (!window_) return false;
    SendDlgItemMessageW(window_.get(), IDC_UNPACKING_BAR, PBM_SETRANGE32, 0, kBarRange);
    ShowName();
    ShowWindow(window_.get(), SW_SHOW);
    SetForegroundWindow(window_.get());
    return true;
}

void UnpackingWindow::ShowAmount(uint64_t done) {
    const double part = total_ == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total_);
    SendDlgItemMessageW(window_.get(), IDC_UNPACKING_BAR, PBM_SETPOS, static_cast<WPARAM>(part * kBarRange), 0);
    SetDlgItemTextW(window_.get(), IDC_UNPACKING_AMOUNT, ProgressText(done, total_).c_str());
}

INT_PTR CALLBACK UnpackingWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        return TRUE;
    }
    // The close box and Escape arrive as Cancel too.
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        auto* self = reinterpret_cast<UnpackingWindow*>(GetWindowLongPtrW(window, DWLP_USER));
        if (self) self->cancelled_ = true;
        EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
        return TRUE;
    }
    return FALSE;
}

}  // namespace launcher::win32
