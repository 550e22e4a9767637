// unzip32.dll and its one-thread build unzip32_single.dll, loaded from the
// test program's own folder as setup.exe loads the library.
#include <windows.h>

#include "platform/win32/handles.h"
#include "unzip_harness.h"

namespace uztest {

namespace {

struct LoadedLibrary {
    platform::win32::UniqueModule module;
    Entries entries;

    explicit LoadedLibrary(const wchar_t* name) {
        wchar_t self[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
        if (length == 0 || length == MAX_PATH) return;
        const fs::path dll = fs::path(self).parent_path() / name;
        module = platform::win32::UniqueModule(LoadLibraryW(dll.c_str()));
        if (!module) return;
        entries.version = reinterpret_cast<decltype(entries.version)>(
            reinterpret_cast<void*>(GetProcAddress(module.get(), "UzpVersion2")));
        entries.unzip = reinterpret_cast<decltype(entries.unzip)>(
            reinterpret_cast<void*>(GetProcAddress(module.get(), "Wiz_SingleEntryUnzip")));
    }
};

}  // namespace

const Entries& Library() {
    static const LoadedLibrary library(L"unzip32.dll");
    return library.entries;
}

const Entries& OneThreadLibrary() {
    static const LoadedLibrary library(L"unzip32_single.dll");
    return library.entries;
}

std::string LibraryText(const fs::path& path) {
    const std::wstring wide = path.wstring();
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

fs::path LongForm(const fs::path& path) {
    fs::path full = fs::absolute(path);
    return L"\\\\?\\" + full.make_preferred().wstring();
}

}  // namespace uztest
