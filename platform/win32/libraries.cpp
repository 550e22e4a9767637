// Dynamic-link libraries from the running program's own folder.
#include <string>

#include "common/failure.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

// A bare library name takes the system's form: unzip32 -> unzip32.dll.
std::wstring FileNameOf(const std::wstring& name) {
    if (name.find(L'.') != std::wstring::npos) return name;
    return name + L".dll";
}

// By full path; what the library needs in turn is looked for in its own
// folder and the system folder only, never along PATH or in the current
// folder. Windows 7 knows these flags only with update KB2533623, which also
// brings AddDllDirectory (the documented test for it) and without which
// LoadLibraryEx refuses them; there the altered search order (the library's
// own folder first) is the best the system offers.
DWORD SearchFlags() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel != nullptr && GetProcAddress(kernel, "AddDllDirectory") != nullptr)
        return LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32;
    return LOAD_WITH_ALTERED_SEARCH_PATH;
}

class Win32Library final : public Library {
public:
    Win32Library(UniqueModule module, std::wstring fileName)
        : module_(std::move(module)), fileName_(std::move(fileName)) {}

    void* Symbol(const char* name) override {
        FARPROC address = GetProcAddress(module_.get(), name);
        if (address == nullptr) {
            std::string entry(name);
            common::Raise(common::FailureNumber::DllEntryPoint,
                          std::wstring(entry.begin(), entry.end()) + L" in " + fileName_);
        }
        return reinterpret_cast<void*>(address);
    }

private:
    UniqueModule module_;
    std::wstring fileName_;
};

}  // namespace

std::unique_ptr<Library> Win32Libraries::LoadFromProgramFolder(const std::wstring& name) {
    std::wstring fileName = FileNameOf(name);
    const std::wstring folder = FolderOf(ProgramFile());
    // A name with a separator in it would leave the program's folder.
    if (folder.empty() || fileName.find_first_of(L"\\/:") != std::wstring::npos)
        common::Raise(common::FailureNumber::DllLoad, fileName);
    return LoadLibraryFile(InFolder(folder, fileName), fileName);
}

std::unique_ptr<Library> LoadLibraryFile(const std::wstring& path, const std::wstring& fileName) {
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    UniqueModule module(LoadLibraryExW(path.c_str(), nullptr, SearchFlags()));
    SetThreadErrorMode(previousMode, nullptr);
    if (!module) common::Raise(common::FailureNumber::DllLoad, fileName);
    return std::make_unique<Win32Library>(std::move(module), fileName);
}

}  // namespace platform::win32
