#include "box_driver.h"

#include <string>

namespace extraction_test {

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr DWORD kPollMs = 20;

std::wstring Text(HWND window) {
    wchar_t buffer[1024] = {};
    GetWindowTextW(window, buffer, 1024);
    return buffer;
}

struct BoxSearch {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchOwnBox(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
        std::wstring(className) == kDialogClass && Text(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog of this process with the title: other programs may show
// boxes with the same title on the same desktop at the same time.
HWND FindOwnBox(const wchar_t* title) {
    BoxSearch search{title, nullptr};
    EnumWindows(MatchOwnBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND WaitForBox(const wchar_t* title, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    do {
        if (HWND box = FindOwnBox(title)) return box;
        Sleep(kPollMs);
    } while (GetTickCount64() < deadline);
    return nullptr;
}

HWND Child(HWND box, const wchar_t* className) {
    return FindWindowExW(box, nullptr, className, nullptr);
}

SeenBox Inspect(HWND box) {
    SeenBox seen;
    seen.window = box;
    seen.title = Text(box);
    // A message box may hold an icon in a static of its own: take the one with text.
    for (HWND s = Child(box, L"Static"); s != nullptr; s = FindWindowExW(box, s, L"Static", nullptr)) {
        std::wstring text = Text(s);
        if (!text.empty()) {
            seen.prompt = text;
            break;
        }
    }
    seen.owner = GetWindow(box, GW_OWNER);
    GetWindowRect(box, &seen.rect);
    return seen;
}

void Type(HWND box, const std::wstring& text) {
    SendMessageTimeoutW(Child(box, L"Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
}

void Click(HWND box, int id) { PostMessageW(GetDlgItem(box, id), BM_CLICK, 0, 0); }

void Command(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

BoxScript::BoxScript(std::function<void(const std::atomic<bool>&)> script)
    : thread_([this, script = std::move(script)] { script(stop_); }) {}

BoxScript::~BoxScript() {
    stop_ = true;
    Join();
}

void BoxScript::Join() {
    if (thread_.joinable()) thread_.join();
}

}  // namespace extraction_test
