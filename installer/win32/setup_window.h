// The setup window on Windows: a fixed dialog frame with a close box, white
// background, centred, holding `message`, `Label1`, `target` and `Command1`.
// It offers its texts to frmSetup and forwards the Install button's click.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "installer/setup_window_controls.h"
#include "platform/win32/handles.h"

namespace installer::win32 {

using UniqueFont = platform::win32::Owned<HFONT, DeleteObject>;

class SetupWindow final : public SetupWindowControls {
public:
    // Creates the window hidden; the program's icon comes from `instance`.
    explicit SetupWindow(HINSTANCE instance);
    SetupWindow(const SetupWindow&) = delete;
    SetupWindow& operator=(const SetupWindow&) = delete;
    ~SetupWindow() override;

    // What a click on Command1 runs (by mouse, Alt+I, Space or Enter).
    void OnInstall(std::function<void()> handler) { onInstall_ = std::move(handler); }

    // Shows the window with the focus in `target`.
    void Show();
    HWND Handle() const { return hwnd_; }

    // Runs the message loop until the window is gone; returns the exit code.
    int Run();

    void SetCaption(const std::wstring& caption) override;
    void SetMessage(const std::wstring& text) override;
    void SetTargetText(const std::wstring& text) override;
    std::wstring TargetText() override;
    void Unload() override;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void CreateControls(int dpi);
    HWND Control(int id) const { return GetDlgItem(hwnd_, id); }

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr;  // control that had the focus when the window was left
    UniqueFont font_;
    std::function<void()> onInstall_;
};

}  // namespace installer::win32
