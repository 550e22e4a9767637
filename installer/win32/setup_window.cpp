#include "installer/win32/setup_window.h"

#include <vector>

#include "common/failure.h"
#include "common/number_text.h"
#include "installer/win32/setup_layout.h"
#include "resources/resource_ids.h"

namespace installer::win32 {

namespace {

// The frame: fixed dialog border with a caption and a close box, nothing to
// minimise, maximise or resize.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

[[noreturn]] void RaiseWindowFailure(const wchar_t* what) {
    common::Raise(common::FailureNumber::InvalidCall,
                  std::wstring(what) + L" (error " + common::DecimalText(GetLastError()) + L")");
}

// The screen's device context, released when its owner goes.
class ScreenDc {
public:
    ScreenDc() : dc_(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

int ScreenDpi() {
    constexpr int kDefaultDpi = 96;
    ScreenDc screen;
    int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : kDefaultDpi;
    return dpi > 0 ? dpi : kDefaultDpi;
}

// The platform's classic dialog font, "MS Shell Dlg" at 8 points (Windows
// maps it to Microsoft Sans Serif; a Wine prefix to Tahoma unless told
// otherwise, as tools/wine-env does). The twip layout was made for it: on
// Windows "Destination Folder" fits its label in one line; the wider faces
// (Tahoma, and Segoe UI of the message font) wrap it.
HFONT CreateDialogFont(int dpi) {
    constexpr int kDialogFontPoints = 8;
    constexpr int kPointsPerInch = 72;
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kDialogFontPoints, dpi, kPointsPerInch);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

HICON LoadProgramIcon(HINSTANCE instance, int sizeMetric) {
    int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON, size,
                                         size, LR_DEFAULTCOLOR | LR_SHARED));
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = proc;
    cls.hInstance = instance;
    cls.hIcon = LoadProgramIcon(instance, SM_CXICON);
    cls.hIconSm = LoadProgramIcon(instance, SM_CXSMICON);
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    cls.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        RaiseWindowFailure(L"window class not registered");
    }
}

}  // namespace

SetupWindow::SetupWindow(HINSTANCE instance) : instance_(instance) {
    RegisterWindowClass(instance_, WindowProc);
    const int dpi = ScreenDpi();
    RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    // WindowProc keeps hwnd_ from WM_NCCREATE on.
    CreateWindowExW(kWindowExStyle, kWindowClass, kDesignedCaption, kWindowStyle, x, y, width,
                    height, nullptr, nullptr, instance_, this);
    if (!hwnd_) RaiseWindowFailure(L"setup window not created");

    font_ = UniqueFont(CreateDialogFont(dpi));
    try {
        CreateControls(dpi);
    } catch (...) {
        DestroyWindow(hwnd_);
        throw;
    }
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadProgramIcon(instance_, SM_CXICON)));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(LoadProgramIcon(instance_, SM_CXSMICON)));
}

SetupWindow::~SetupWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void SetupWindow::CreateControls(int dpi) {
    struct ControlDescription {
        int id;
        const wchar_t* cls;
        const wchar_t* text;
        DWORD style;
        DWORD exStyle;
        TwipRect rect;
    };
    // In tab order: target, Command1, Label1, message. The dialog manager
    // walks the controls in this (z-)order for Tab and Shift+Tab; the labels
    // never take the focus. Labels wrap at word boundaries and clip at their
    // lower edge; "&" marks an access key.
    const ControlDescription controls[] = {
        {kTargetId, L"EDIT", L"", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
         kTargetRect},
        {kCommand1Id, L"BUTTON", kInstallText, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kCommand1Rect},
        {kLabel1Id, L"STATIC", kLabel1Text, SS_LEFT, 0, kLabel1Rect},
        {kMessageId, L"STATIC", kDesignedMessage, SS_LEFT, 0, kMessageRect},
    };
    for (const ControlDescription& c : controls) {
        HWND control = CreateWindowExW(
            c.exStyle, c.cls, c.text, WS_CHILD | WS_VISIBLE | c.style,
            TwipsToPixels(c.rect.left, dpi), TwipsToPixels(c.rect.top, dpi),
            TwipsToPixels(c.rect.width, dpi), TwipsToPixels(c.rect.height, dpi), hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
        if (!control) RaiseWindowFailure(L"control not created");
        if (font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    // The box takes text of any length.
    SendMessageW(Control(kTargetId), EM_SETLIMITTEXT, 0, 0);
    focus_ = Control(kTargetId);
}

void SetupWindow::Show() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    SetFocus(Control(kTargetId));
    UpdateWindow(hwnd_);
}

int SetupWindow::Run() {
    MSG msg;
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(msg.wParam);
        if (got < 0) return 1;
        // The dialog manager gives Tab, Shift+Tab, access keys and the
        // default button to a plain window as well.
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void SetupWindow::SetCaption(const std::wstring& caption) { SetWindowTextW(hwnd_, caption.c_str()); }

void SetupWindow::SetMessage(const std::wstring& text) {
    SetWindowTextW(Control(kMessageId), text.c_str());
}

void SetupWindow::SetTargetText(const std::wstring& text) {
    SetWindowTextW(Control(kTargetId), text.c_str());
}

std::wstring SetupWindow::TargetText() {
    HWND box = Control(kTargetId);
    int length = GetWindowTextLengthW(box);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int got = GetWindowTextW(box, buffer.data(), length + 1);
    return std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void SetupWindow::Unload() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK SetupWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SetupWindow* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<SetupWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<SetupWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->Handle(msg, wParam, lParam);
}

LRESULT SetupWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCommand1Id && HIWORD(wParam) == BN_CLICKED) {
                if (onInstall_) onInstall_();
                return 0;
            }
            break;
        case DM_GETDEFID:
            // Enter presses Install: Command1 is the default button.
            return MAKELRESULT(kCommand1Id, DC_HASDEFID);
        case WM_CTLCOLORSTATIC: {
            // The labels are drawn on the window's white.
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, RGB(255, 255, 255));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        case WM_ACTIVATE:
            // Like a dialog, the window gives the focus back to the control
            // that had it when the user left.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) focus_ = focus;
            } else if (!HIWORD(wParam)) {
                SetFocus(focus_ && IsWindow(focus_) ? focus_ : Control(kTargetId));
            }
            return 0;
        case WM_CLOSE:
            // The close box unloads the window; nothing asks, nothing is written.
            Unload();
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            hwnd_ = nullptr;
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace installer::win32
