// Reads a shell shortcut back through the shell's own link object and prints
// "target=", "arguments=" and "folder=" lines (UTF-8).
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

template <typename I>
struct Releaser {
    I* p = nullptr;
    ~Releaser() {
        if (p) p->Release();
    }
};

void PrintLine(const char* key, const wchar_t* value) {
    char utf8[4 * MAX_PATH];
    int n = WideCharToMultiByte(CP_UTF8, 0, value, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s=%s\n", key, n > 0 ? utf8 : "");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: lnkread FILE.lnk\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    int status = 1;
    {
        Releaser<IShellLinkW> link;
        Releaser<IPersistFile> file;
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IShellLinkW, reinterpret_cast<void**>(&link.p))) &&
            SUCCEEDED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) &&
            SUCCEEDED(file.p->Load(argv[1], STGM_READ))) {
            wchar_t text[MAX_PATH * 2] = L"";
            link.p->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH);
            PrintLine("target", text);
            text[0] = 0;
            link.p->GetArguments(text, MAX_PATH * 2);
            PrintLine("arguments", text);
            text[0] = 0;
            link.p->GetWorkingDirectory(text, MAX_PATH * 2);
            PrintLine("folder", text);
            status = 0;
        } else {
            std::fprintf(stderr, "lnkread: cannot read the shortcut\n");
        }
    }
    CoUninitialize();
    return status;
}
