// The input box: a modal dialog of our own, built in memory, since Windows
// offers no ready one. Prompt at the top left, OK and Cancel on the right,
// the answer's edit box below; centred, titled with the application title.
#include <string>
#include <vector>

#include "common/application.h"
#include "common/failure.h"
#include "common/number_text.h"
#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

constexpr wchar_t kDialogFont[] = L"MS Shell Dlg";
constexpr WORD kDialogFontPoints = 8;

// Predefined control classes, as the template names them by atom.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

constexpr WORD kPromptId = 0xFFFF;  // a static that is never addressed
constexpr WORD kAnswerId = 1000;

// Layout in dialog units.
constexpr short kWidth = 260, kHeight = 84;
constexpr short kMargin = 7;
constexpr short kButtonWidth = 50, kButtonHeight = 14;
constexpr short kEditHeight = 13;

// Writes a DLGTEMPLATE and its items into WORDs, with the alignment each
// part needs.
class TemplateWriter {
public:
    void Dialog(DWORD style, short cx, short cy, const std::wstring& title, WORD items) {
        Dword(style);
        Dword(0);  // extended style
        words_.push_back(items);
        Coordinates(0, 0, cx, cy);
        words_.push_back(0);  // no menu
        words_.push_back(0);  // the standard dialog class
        Text(title);
        words_.push_back(kDialogFontPoints);
        Text(kDialogFont);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const std::wstring& text) {
        if (words_.size() % 2 != 0) words_.push_back(0);  // items start on a DWORD
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);  // extended style
        Coordinates(x, y, cx, cy);
        words_.push_back(id);
        words_.push_back(0xFFFF);  // class given by atom
        words_.push_back(atom);
        Text(text);
        words_.push_back(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Dword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void Coordinates(short x, short y, short cx, short cy) {
        for (short v : {x, y, cx, cy}) words_.push_back(static_cast<WORD>(v));
    }
    void Text(const std::wstring& text) {
        for (wchar_t c : text) words_.push_back(static_cast<WORD>(c));
        words_.push_back(0);
    }
    // A vector of WORDs is at least WORD-aligned; the template needs DWORD
    // alignment at its start, which the allocator's alignment gives.
    std::vector<WORD> words_;
};

std::wstring WindowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int n = GetWindowTextW(window, text.data(), length + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

INT_PTR CALLBACK InputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetForegroundWindow(dialog);
            SetFocus(GetDlgItem(dialog, kAnswerId));
            return FALSE;  // focus set here
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    auto* answer = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER));
                    if (answer) *answer = WindowText(GetDlgItem(dialog, kAnswerId));
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:  // the Cancel button, Esc, and the close box
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
            }
            return FALSE;
    }
    return FALSE;
}

}  // namespace

std::wstring Win32Dialogs::InputBox(const std::wstring& prompt) {
    TemplateWriter box;
    const short buttonX = kWidth - kMargin - kButtonWidth;
    const short editY = kHeight - kMargin - kEditHeight;
    box.Dialog(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
               kWidth, kHeight, common::kApplicationTitle, 4);
    box.Item(SS_LEFT | SS_NOPREFIX, kMargin, kMargin, buttonX - 2 * kMargin,
             editY - 2 * kMargin, kPromptId, kStaticClass, prompt);
    box.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, buttonX, kMargin, kButtonWidth, kButtonHeight, IDOK,
             kButtonClass, L"OK");
    box.Item(BS_PUSHBUTTON | WS_TABSTOP, buttonX, kMargin + kButtonHeight + 4, kButtonWidth,
             kButtonHeight, IDCANCEL, kButtonClass, L"Cancel");
    box.Item(ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, kMargin, editY,
             kWidth - 2 * kMargin, kEditHeight, kAnswerId, kEditClass, L"");

    // The box may come after the window was unloaded; it then has no owner.
    HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
    std::wstring answer;
    INT_PTR pressed = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), box.get(), owner,
                                              InputBoxProc, reinterpret_cast<LPARAM>(&answer));
    if (pressed == -1 || pressed == 0) {
        common::Raise(common::FailureNumber::InvalidCall,
                      L"input box could not be shown (error " + common::DecimalText(GetLastError()) +
                          L")");
    }
    return pressed == IDOK ? answer : std::wstring();
}

}  // namespace platform::win32
