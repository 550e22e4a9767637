// The small window shown while a large payload unpacks: the application's
// name, the bytes unpacked of the total, and Cancel. It appears only once the
// unpacking has lasted half a second, so that a small payload shows nothing.
//
// It lives on the unpacking thread: Unpacked(), called as the bytes come out,
// also handles the window's messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "launcher/payload.h"
#include "platform/win32/handles.h"

namespace launcher::win32 {

using UniqueWindow = platform::win32::Owned<HWND, DestroyWindow>;

class UnpackingWindow final : public Progress {
public:
    UnpackingWindow(HINSTANCE instance, uint64_t total);
    UnpackingWindow(const UnpackingWindow&) = delete;
    UnpackingWindow& operator=(const UnpackingWindow&) = delete;

    // The application's name, once known (empty: not named).
    void SetName(std::wstring name);
    // Shows the window when it is time, and the amount `done`. False once
    // the person has pressed Cancel (or closed the window).
    bool Unpacked(uint64_t done) override;
    // Handles what is still queued for the window, then takes it away. True
    // if the person pressed Cancel at any time, the last moment included: a
    // click that arrives after the last bytes still stops the installation.
    bool Finish();

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Create();
    void ShowName();
    void ShowAmount(uint64_t done);
    void HandleMessages();

    HINSTANCE instance_;
    uint64_t total_;
    std::wstring name_;
    ULONGLONG started_;
    ULONGLONG shown_ = 0;  // when the amount was last shown
    bool failed_ = false;  // the window could not be made: unpack without it
    bool cancelled_ = false;
    UniqueWindow window_;
};

}  // namespace launcher::win32
