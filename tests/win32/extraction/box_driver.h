// Drives the program's modal boxes from a helper thread, as a person would:
// find the box, read it, type into it, press its buttons. Every wait has a
// time limit, so a box that never comes fails the test instead of hanging it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace extraction_test {

// What the driver saw of a box.
struct SeenBox {
    HWND window = nullptr;
    std::wstring title;
    std::wstring prompt;  // text of the box's static control
    HWND owner = nullptr;
    RECT rect{};
};

// Waits for a top-level dialog with `title`; null after the time limit.
HWND WaitForBox(const wchar_t* title, DWORD timeoutMs = 15000);
SeenBox Inspect(HWND box);
// A child control by class name ("Edit", "Static", "Button").
HWND Child(HWND box, const wchar_t* className);
// Puts `text` into the box's edit control.
void Type(HWND box, const std::wstring& text);
// Presses a button as a click would; posted, so it never blocks.
void Click(HWND box, int id);
// Sends a button's command to the box; posted.
void Command(HWND box, int id);

// Runs `script` on a helper thread and waits for it when done or destroyed.
// The script is handed a flag that asks a script looping over boxes to end.
class BoxScript {
public:
    explicit BoxScript(std::function<void(const std::atomic<bool>& stop)> script);
    ~BoxScript();
    BoxScript(const BoxScript&) = delete;
    BoxScript& operator=(const BoxScript&) = delete;
    void Join();
    void Stop() { stop_ = true; }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace extraction_test
