// uidriver: drives a program's windows from outside, for the end-to-end
// scenarios under Wine. It reads a script, one command per line, runs each in
// turn and stops at the first one that fails (exit code 1; a program it
// started is then ended). Waits and expectations poll until they hold or
// their time runs out.
//
//   uidriver.exe SCRIPT          (SCRIPT "-" reads standard input)
//
// Commands (ID is a control identifier; PATH may be "quoted"; TEXT is the rest of the line, with
// \r \n \t \\ as escapes; MS is an optional time limit in milliseconds):
//   start PATH                 start a program (in the working folder; PATH has no escapes)
//   folder PATH                working folder of programs started from now on (C:\ at first)
//   window CLASS [MS]          wait for a visible window of the program, or of a program it
//                              started; it becomes current
//   box [MS]                   wait for a dialog box (message or input box); it becomes current
//   no-window CLASS            no visible window of this class belongs to the program
//   caption                    print the current window's caption
//   expect-caption TEXT
//   text ID                    print a control's text
//   expect-text ID TEXT
//   box-text                   print a message box's prompt
//   expect-box-text TEXT
//   expect-box-contains TEXT
//   client / expect-client W H           client area size in pixels
//   rect ID / expect-rect ID L T W H     control rectangle in client pixels
//   focus / expect-focus ID              control with the keyboard focus
//   frame / expect-frame TEXT            frame kind: caption, sysmenu, min/max boxes, sizing
//   centred                              the window is centred on the screen
//   on-screen                            the window lies wholly on the screen
//   file-icons PATH            sizes and colour depths of a program file's icon
//   expect-file-icons PATH TEXT          ("32x32x4 16x16x4")
//   expect-version PATH NAME TEXT        a version text of a program file (US English, Unicode)
//   key KEYS                   keys pressed in the current window: Tab, Shift+Tab,
//                              Alt+I, Enter, Space, Escape, Alt+F4, or one letter
//   set-text ID TEXT           replace a control's text
//   type TEXT                  replace the text of the current window's first edit box
//   click ID                   click a button of the current window
//   answer ID                  answer a dialog box with the button ID (1 OK, 2 Cancel, 6 Yes, 7 No)
//   close                      the close box of the current window
//   wait-exit [MS] / expect-exit CODE [MS]
//   dump                       list the current window's controls
//   screenshot FILE            save the current window as it shows on the screen (BMP)
//   kill                       end the program at once
//   run COMMAND                run a command line to its end, its output with the driver's;
//                              fails unless it exits with 0 within a minute
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "screenshot.h"

namespace {

using platform::win32::UniqueHandle;

// Waits end as soon as their condition holds, so a long limit costs a passing
// script nothing; it keeps a machine busy with other work (Wine starting a
// program, a build beside the tests) from failing one.
constexpr DWORD kDefaultWaitMs = 60000;
constexpr DWORD kPollMs = 50;
constexpr DWORD kMessageTimeoutMs = 2000;
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageBoxTextId = 0xFFFF;  // the prompt's static control in a message box
#ifndef ERROR_ELEVATION_REQUIRED
constexpr DWORD ERROR_ELEVATION_REQUIRED = 740;
#endif

struct WindowSearch {
    std::vector<DWORD> pids;
    const std::wstring* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param);

struct ScriptError {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw ScriptError{message}; }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// Shows control characters so that expected and actual texts can be compared by eye.
std::string Visible(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c == L'\r') out += "\\r";
        else if (c == L'\n') out += "\\n";
        else if (c == L'\t') out += "\\t";
        else if (c == L'\\') out += "\\\\";
        else out += Utf8(std::wstring(1, c));
    }
    return out;
}

std::wstring Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char c = text[++i];
            out.push_back(c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c);
        } else {
            out.push_back(text[i]);
        }
    }
    return Wide(out);
}

template <typename Condition>
bool PollUntil(DWORD limitMs, Condition condition) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start >= limitMs) return false;
        Sleep(kPollMs);
    }
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

// A window's text through WM_GETTEXT, which also works across processes.
std::wstring TextOf(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &length)) {
        Fail("window does not answer WM_GETTEXTLENGTH");
    }
    std::vector<wchar_t> buffer(length + 1);
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kMessageTimeoutMs, &got)) {
        Fail("window does not answer WM_GETTEXT");
    }
    return std::wstring(buffer.data(), got);
}

class Driver {
public:
    ~Driver() {
        // A program left running by a failed script is ended.
        if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_.get(), 255);
        }
    }

    void Run(const std::string& command, std::istringstream& args);

private:
    // Argument readers.
    // One word, or a "quoted text" that may hold spaces (paths).
    static std::string Word(std::istringstream& args, const char* what) {
        std::string word;
        args >> std::ws;
        if (args.peek() == '"') {
            args.get();
            if (!std::getline(args, word, '"')) Fail(std::string("unclosed quote in ") + what);
            return word;
        }
        if (!(args >> word)) Fail(std::string("missing ") + what);
        return word;
    }
    static long Number(std::istringstream& args, const char* what) {
        std::string word = Word(args, what);
        char* end = nullptr;
        long value = std::strtol(word.c_str(), &end, 0);
        if (*end) Fail(std::string("not a number for ") + what + ": " + word);
        return value;
    }
    static DWORD Limit(std::istringstream& args) {
        long ms;
        return (args >> ms) ? static_cast<DWORD>(ms) : kDefaultWaitMs;
    }
    // The rest of the line as a path, which may hold spaces: as it is, or
    // "quoted" with nothing after the closing quote.
    static std::wstring Path(std::istringstream& args) {
        std::wstring path = Rest(args, false);
        if (path.empty() || path.front() != L'"') return path;
        const size_t close = path.find(L'"', 1);
        if (close == std::wstring::npos) Fail("unclosed quote in path");
        if (path.find_first_not_of(L" \t", close + 1) != std::wstring::npos) Fail("text after the quoted path");
        return path.substr(1, close - 1);
    }
    static std::wstring Rest(std::istringstream& args, bool escapes = true) {
        std::string rest;
        std::getline(args, rest);
        if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        return escapes ? Unescape(rest) : Wide(rest);
    }

    HWND Current() const {
        if (!current_ || !IsWindow(current_)) Fail("no current window");
        return current_;
    }
    HWND ControlOf(long id) const {
        HWND control = GetDlgItem(Current(), static_cast<int>(id));
        if (!control) Fail("no control " + std::to_string(id));
        return control;
    }

    std::vector<HWND> VisibleWindows(const std::wstring& cls) const;
    void Start(const std::wstring& path);
    void WaitForWindow(const std::wstring& cls, DWORD limit, const char* what);
    void RunToEnd(std::wstring commandLine);
    void SendKeys(const std::string& keys);
    std::wstring FrameKind() const;
    std::wstring BoxText() const;

    template <typename Read>
    void Expect(const char* what, const std::wstring& expected, Read read, DWORD limit = kDefaultWaitMs) {
        std::wstring actual;
        if (!PollUntil(limit, [&] { return (actual = read()) == expected; })) {
            Fail(std::string(what) + ": expected \"" + Visible(expected) + "\", got \"" +
                 Visible(actual) + "\"");
        }
        std::printf("ok %s \"%s\"\n", what, Visible(actual).c_str());
    }

    UniqueHandle process_;
    DWORD processId_ = 0;
    std::wstring folder_ = L"C:\\";  // working folder of started programs
    HWND current_ = nullptr;
};

// `root` and the processes it started, and those they started in turn.
std::vector<DWORD> ProcessTree(DWORD root) {
    std::vector<DWORD> tree{root};
    platform::win32::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return tree;
    std::vector<PROCESSENTRY32W> all;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        all.push_back(entry);
    }
    for (size_t i = 0; i < tree.size(); ++i) {
        for (const PROCESSENTRY32W& process : all) {
            if (process.th32ParentProcessID == tree[i] && process.th32ProcessID != tree[i]) {
                tree.push_back(process.th32ProcessID);
            }
        }
    }
    return tree;
}

std::vector<HWND> Driver::VisibleWindows(const std::wstring& cls) const {
    WindowSearch search{ProcessTree(processId_), &cls, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    bool ours = false;
    for (DWORD p : search->pids) ours = ours || p == pid;
    if (ours && IsWindowVisible(hwnd) && ClassOf(hwnd) == *search->cls) {
        search->found.push_back(hwnd);
    }
    return TRUE;
}

void Driver::Start(const std::wstring& path) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + path + L"\"";
    // The working folder is not the program's: the program must find its
    // files beside itself.
    if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(),
                       &startup, &info)) {
        process_ = UniqueHandle(info.hProcess);
        UniqueHandle thread(info.hThread);
        processId_ = info.dwProcessId;
    } else if (GetLastError() == ERROR_ELEVATION_REQUIRED) {
        // A program that asks for elevation starts through the shell.
        SHELLEXECUTEINFOW shell{};
        shell.cbSize = sizeof(shell);
        shell.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        shell.lpFile = path.c_str();
        shell.lpDirectory = folder_.c_str();
        shell.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExW(&shell) || !shell.hProcess) Fail("cannot start the program (shell)");
        process_ = UniqueHandle(shell.hProcess);
        processId_ = GetProcessId(shell.hProcess);
    } else {
        Fail("cannot start " + Utf8(path) + " (error " + std::to_string(GetLastError()) + ")");
    }
    std::printf("started %s\n", Utf8(path).c_str());
}

void Driver::RunToEnd(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    std::fflush(stdout);
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        Fail("cannot run " + Utf8(commandLine) + " (error " + std::to_string(GetLastError()) + ")");
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    if (WaitForSingleObject(process.get(), kDefaultWaitMs) != WAIT_OBJECT_0) Fail("the command did not end in time");
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    if (code != 0) Fail("the command ended with " + std::to_string(code));
    std::printf("ran %s\n", Utf8(commandLine).c_str());
}

void Driver::WaitForWindow(const std::wstring& cls, DWORD limit, const char* what) {
    if (!process_) Fail("no program started");
    HWND found = nullptr;
    bool exited = false;
    PollUntil(limit, [&] {
        std::vector<HWND> windows = VisibleWindows(cls);
        if (!windows.empty()) found = windows.front();
        exited = WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
        return found || exited;
    });
    if (!found) {
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        Fail(std::string("no ") + what + " " + Utf8(cls) +
             (exited ? " (the program ended with " + std::to_string(code) + ")" : " in time"));
    }
    current_ = found;
    std::printf("%s %s \"%s\"\n", what, Utf8(cls).c_str(), Visible(TextOf(found)).c_str());
}

// Keys go in through SendInput, so that the program sees real key states
// (Shift+Tab, Alt+letter); the current window is brought to the front first.
void Driver::SendKeys(const std::string& keys) {
    std::vector<WORD> modifiers;
    std::string key = keys;
    for (;;) {
        size_t plus = key.find('+');
        if (plus == std::string::npos || plus + 1 == key.size()) break;
        std::string modifier = key.substr(0, plus);
        if (modifier == "Shift") modifiers.push_back(VK_SHIFT);
        else if (modifier == "Alt") modifiers.push_back(VK_MENU);
        else if (modifier == "Ctrl") modifiers.push_back(VK_CONTROL);
        else Fail("unknown modifier " + modifier);
        key = key.substr(plus + 1);
    }
    WORD vk = 0;
    if (key == "Tab") vk = VK_TAB;
    else if (key == "Enter") vk = VK_RETURN;
    else if (key == "Space") vk = VK_SPACE;
    else if (key == "Escape") vk = VK_ESCAPE;
    else if (key == "F4") vk = VK_F4;
    else if (key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]))) {
        vk = static_cast<WORD>(std::toupper(static_cast<unsigned char>(key[0])));
    } else {
        Fail("unknown key " + key);
    }

    HWND window = Current();
    SetForegroundWindow(window);
    if (!PollUntil(kDefaultWaitMs, [&] { return GetForegroundWindow() == window; })) {
        Fail("the window does not come to the front");
    }
    std::vector<INPUT> inputs;
    auto push = [&](WORD code, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = code;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(code, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(in);
    };
    for (WORD m : modifiers) push(m, false);
    push(vk, false);
    push(vk, true);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) push(*m, true);
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) {
        Fail("SendInput refused the keys");
    }
    std::printf("keys %s\n", keys.c_str());
}

std::wstring Driver::FrameKind() const {
    LONG style = GetWindowLongW(Current(), GWL_STYLE);
    std::wstring kind;
    auto add = [&](bool on, const wchar_t* name) {
        if (!kind.empty()) kind += L' ';
        kind += on ? L"" : L"-";
        kind += name;
    };
    add((style & WS_CAPTION) == WS_CAPTION, L"caption");
    add(style & WS_SYSMENU, L"sysmenu");
    add(style & WS_MINIMIZEBOX, L"minimize");
    add(style & WS_MAXIMIZEBOX, L"maximize");
    add(style & WS_THICKFRAME, L"sizing");
    return kind;
}

// The prompt of a message box: its text control, or else every static text.
std::wstring Driver::BoxText() const {
    HWND box = Current();
    if (HWND prompt = GetDlgItem(box, kMessageBoxTextId)) return TextOf(prompt);
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static") text += TextOf(child);
    }
    return text;
}

// Icon group resource layout (the .ico directory as stored in a program file).
#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved;
    WORD type;   // 1: icons
    WORD count;  // entries that follow
};
struct IconGroupEntry {
    BYTE width;  // 0 means 256
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;  // the RT_ICON resource holding the image
};
#pragma pack(pop)

using UniqueLibrary = platform::win32::UniqueModule;

// "32x32x4 16x16x4": every image of the program file's icon.
std::wstring FileIcons(const std::wstring& path) {
    UniqueLibrary file(LoadLibraryExW(path.c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (!file) Fail("cannot open " + Utf8(path));
    // The program's icon is the icon group numbered 1.
    HRSRC info = FindResourceW(file.get(), MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    if (!info) return L"none";
    DWORD size = SizeofResource(file.get(), info);
    HGLOBAL data = LoadResource(file.get(), info);
    const auto* bytes = static_cast<const BYTE*>(data ? LockResource(data) : nullptr);
    if (!bytes || size < sizeof(IconGroupHeader)) Fail("unreadable icon group");
    IconGroupHeader header;
    std::memcpy(&header, bytes, sizeof(header));
    if (size < sizeof(header) + header.count * sizeof(IconGroupEntry)) Fail("short icon group");
    std::wstring text;
    for (WORD i = 0; i < header.count; ++i) {
        IconGroupEntry entry;
        std::memcpy(&entry, bytes + sizeof(header) + i * sizeof(entry), sizeof(entry));
        if (!text.empty()) text += L' ';
        text += std::to_wstring(entry.width ? entry.width : 256) + L"x" +
                std::to_wstring(entry.height ? entry.height : 256) + L"x" +
                std::to_wstring(entry.bitCount);
    }
    return text;
}

// A text of the version information in US English, Unicode.
std::wstring FileVersionText(const std::wstring& path, const std::wstring& name) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return L"(no version information)";
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return L"(unreadable)";
    std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), key.c_str(), &value, &length) || !value) return L"(missing)";
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

void Driver::Run(const std::string& command, std::istringstream& args) {
    if (command == "start") {
        Start(Path(args));
    } else if (command == "folder") {
        folder_ = Path(args);
    } else if (command == "window") {
        std::wstring cls = Wide(Word(args, "class"));
        WaitForWindow(cls, Limit(args), "window");
    } else if (command == "box") {
        WaitForWindow(kDialogClass, Limit(args), "box");
    } else if (command == "no-window") {
        std::wstring cls = Wide(Word(args, "class"));
        if (!VisibleWindows(cls).empty()) Fail("a window " + Utf8(cls) + " is visible");
        std::printf("ok no window %s\n", Utf8(cls).c_str());
    } else if (command == "caption") {
        std::printf("caption \"%s\"\n", Visible(TextOf(Current())).c_str());
    } else if (command == "expect-caption") {
        Expect("caption", Rest(args), [&] { return TextOf(Current()); });
    } else if (command == "text") {
        std::printf("text \"%s\"\n", Visible(TextOf(ControlOf(Number(args, "id")))).c_str());
    } else if (command == "expect-text") {
        long id = Number(args, "id");
        Expect("text", Rest(args), [&] { return TextOf(ControlOf(id)); });
    } else if (command == "box-text") {
        std::printf("box-text \"%s\"\n", Visible(BoxText()).c_str());
    } else if (command == "expect-box-text") {
        Expect("box-text", Rest(args), [&] { return BoxText(); });
    } else if (command == "expect-box-contains") {
        std::wstring part = Rest(args);
        std::wstring text = BoxText();
        if (text.find(part) == std::wstring::npos) {
            Fail("box text \"" + Visible(text) + "\" lacks \"" + Visible(part) + "\"");
        }
        std::printf("ok box contains \"%s\"\n", Visible(part).c_str());
    } else if (command == "client" || command == "expect-client") {
        RECT r{};
        GetClientRect(Current(), &r);
        std::wstring actual = std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom);
        if (command == "client") {
            std::printf("client %s\n", Utf8(actual).c_str());
        } else {
            long w = Number(args, "width"), h = Number(args, "height");
            Expect("client", std::to_wstring(w) + L" " + std::to_wstring(h), [&] { return actual; }, 0);
        }
    } else if (command == "rect" || command == "expect-rect") {
        long id = Number(args, "id");
        auto read = [&] {
            RECT r{};
            GetWindowRect(ControlOf(id), &r);
            MapWindowPoints(HWND_DESKTOP, Current(), reinterpret_cast<POINT*>(&r), 2);
            return std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
                   std::to_wstring(r.right - r.left) + L" " + std::to_wstring(r.bottom - r.top);
        };
        if (command == "rect") {
            std::printf("rect %ld %s\n", id, Utf8(read()).c_str());
        } else {
            std::wstring expected;
            for (const char* what : {"left", "top", "width", "height"}) {
                expected += (expected.empty() ? L"" : L" ") + std::to_wstring(Number(args, what));
            }
            Expect("rect", expected, read, 0);
        }
    } else if (command == "focus" || command == "expect-focus") {
        auto read = [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            DWORD thread = GetWindowThreadProcessId(Current(), nullptr);
            if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return std::wstring(L"none");
            return std::to_wstring(GetDlgCtrlID(info.hwndFocus));
        };
        if (command == "focus") {
            std::printf("focus %s\n", Utf8(read()).c_str());
        } else {
            Expect("focus", std::to_wstring(Number(args, "id")), read);
        }
    } else if (command == "frame") {
        std::printf("frame %s\n", Utf8(FrameKind()).c_str());
    } else if (command == "expect-frame") {
        Expect("frame", Rest(args), [&] { return FrameKind(); }, 0);
    } else if (command == "centred") {
        RECT r{};
        GetWindowRect(Current(), &r);
        int dx = (r.left + r.right) - GetSystemMetrics(SM_CXSCREEN);
        int dy = (r.top + r.bottom) - GetSystemMetrics(SM_CYSCREEN);
        // Halving an odd difference may leave one pixel either way.
        if (dx < -2 || dx > 2 || dy < -2 || dy > 2) {
            Fail("window not centred: " + std::to_string(r.left) + "," + std::to_string(r.top) +
                 " - " + std::to_string(r.right) + "," + std::to_string(r.bottom));
        }
        std::printf("ok centred\n");
    } else if (command == "on-screen") {
        RECT r{};
        GetWindowRect(Current(), &r);
        if (r.left < 0 || r.top < 0 || r.right > GetSystemMetrics(SM_CXSCREEN) ||
            r.bottom > GetSystemMetrics(SM_CYSCREEN)) {
            Fail("window beyond the screen: " + std::to_string(r.left) + "," + std::to_string(r.top) +
                 " - " + std::to_string(r.right) + "," + std::to_string(r.bottom));
        }
        std::printf("ok on screen\n");
    } else if (command == "file-icons") {
        std::printf("file-icons %s\n", Utf8(FileIcons(Wide(Word(args, "path")))).c_str());
    } else if (command == "expect-file-icons") {
        std::wstring path = Wide(Word(args, "path"));
        Expect("file icons", Rest(args), [&] { return FileIcons(path); }, 0);
    } else if (command == "expect-version") {
        std::wstring path = Wide(Word(args, "path"));
        std::wstring name = Wide(Word(args, "name"));
        Expect("version text", Rest(args), [&] { return FileVersionText(path, name); }, 0);
    } else if (command == "key") {
        SendKeys(Word(args, "keys"));
    } else if (command == "set-text") {
        long id = Number(args, "id");
        std::wstring text = Rest(args);
        SendMessageTimeoutW(ControlOf(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                            SMTO_ABORTIFHUNG, kMessageTimeoutMs, nullptr);
        std::printf("set-text %ld\n", id);
    } else if (command == "type") {
        std::wstring text = Rest(args);
        HWND edit = FindWindowExW(Current(), nullptr, L"Edit", nullptr);
        if (!edit) Fail("no edit box in the current window");
        SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                            SMTO_ABORTIFHUNG, kMessageTimeoutMs, nullptr);
        std::printf("typed \"%s\"\n", Visible(text).c_str());
    } else if (command == "click") {
        long id = Number(args, "id");
        // Posted: the click may open a modal box, which must not block us.
        PostMessageW(ControlOf(id), BM_CLICK, 0, 0);
        std::printf("clicked %ld\n", id);
    } else if (command == "answer") {
        long id = Number(args, "id");
        HWND box = Current();
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, static_cast<int>(id))));
        // The box must be gone before the next command looks for one: a box
        // still closing would otherwise be found again.
        if (!PollUntil(kDefaultWaitMs, [&] { return !IsWindow(box) || !IsWindowVisible(box); })) {
            Fail("the box did not close");
        }
        std::printf("answered %ld\n", id);
        current_ = nullptr;
    } else if (command == "close") {
        PostMessageW(Current(), WM_SYSCOMMAND, SC_CLOSE, 0);
        std::printf("closed\n");
    } else if (command == "wait-exit" || command == "expect-exit") {
        std::optional<long> expected;
        if (command == "expect-exit") expected = Number(args, "code");
        DWORD limit = Limit(args);
        if (!process_) Fail("no program started");
        if (WaitForSingleObject(process_.get(), limit) != WAIT_OBJECT_0) Fail("the program did not end in time");
        DWORD code = 0;
        GetExitCodeProcess(process_.get(), &code);
        std::printf("exit %lu\n", static_cast<unsigned long>(code));
        if (expected && static_cast<DWORD>(*expected) != code) {
            Fail("expected exit code " + std::to_string(*expected));
        }
    } else if (command == "screenshot") {
        std::wstring path = Path(args);
        if (!SaveWindowBitmap(Current(), path)) Fail("cannot save a screenshot to " + Utf8(path));
        std::printf("screenshot %s\n", Utf8(path).c_str());
    } else if (command == "dump") {
        HWND window = Current();
        std::printf("window %s \"%s\"\n", Utf8(ClassOf(window)).c_str(),
                    Visible(TextOf(window)).c_str());
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
            std::printf("  %d %s (%ld,%ld %ldx%ld) \"%s\"\n", GetDlgCtrlID(child),
                        Utf8(ClassOf(child)).c_str(), r.left, r.top, r.right - r.left,
                        r.bottom - r.top, Visible(TextOf(child)).c_str());
        }
    } else if (command == "run") {
        RunToEnd(Rest(args, false));
    } else if (command == "kill") {
        if (process_) TerminateProcess(process_.get(), 255);
        std::printf("killed\n");
    } else {
        Fail("unknown command " + command);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: uidriver SCRIPT   (\"-\": standard input)\n");
        return 2;
    }
    std::ifstream file;
    std::istream* in = &std::cin;
    if (std::string(argv[1]) != "-") {
        file.open(argv[1], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "uidriver: cannot read %s\n", argv[1]);
            return 2;
        }
        in = &file;
    }
    // Sizes and positions are read in real pixels, whatever the DPI.
    SetProcessDPIAware();
    Driver driver;
    std::string line;
    int number = 0;
    while (std::getline(*in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        std::istringstream args(line.substr(start));
        std::string command;
        args >> command;
        try {
            driver.Run(command, args);
            std::fflush(stdout);
        } catch (const ScriptError& e) {
            std::printf("FAIL line %d: %s\n  %s\n", number, line.c_str(), e.message.c_str());
            std::fflush(stdout);
            return 1;
        }
    }
    return 0;
}
