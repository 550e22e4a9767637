// A stand-in for an installed program: when started it leaves a marker file
// beside itself, "<own path>.ran", holding its command line, working folder,
// own file size (a planted copy with bytes appended tells itself apart from
// the installed one) and the file name of the program that started it, and
// ends. Scenarios check the marker to learn that (and how) it ran.
#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace {

// The file name of the process that started this one (empty when it is gone).
std::wstring ParentName() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !parent; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    std::wstring name;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && parent; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == parent) name = entry.szExeFile;
    CloseHandle(snapshot);
    return name;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return 1;
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    WIN32_FILE_ATTRIBUTE_DATA own{};
    if (!GetFileAttributesExW(self, GetFileExInfoStandard, &own)) return 1;
    std::wstring text = std::wstring(L"command=") + GetCommandLineW() + L"\r\nfolder=" + folder +
                        L"\r\nsize=" + std::to_wstring(own.nFileSizeLow) + L"\r\nparent=" + ParentName() + L"\r\n";
    std::wstring marker = std::wstring(self) + L".ran";
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
