// Shared libraries from the running program's own folder, through dlopen.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <string>

#include "common/failure.h"
#include "platform/posix/posix_services.h"

namespace platform::posix {

namespace {

// A bare library name takes the system's form: unzip32 -> libunzip32.so.
std::wstring FileNameOf(const std::wstring& name) {
    if (name.find(L'.') != std::wstring::npos) return name;
    return L"lib" + name + L".so";
}

std::string ProgramFolderBytes() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path);
    if (n <= 0 || static_cast<size_t>(n) >= sizeof path) return {};
    std::string folder(path, static_cast<size_t>(n));
    return folder.substr(0, folder.rfind('/'));
}

class PosixLibrary final : public Library {
public:
    PosixLibrary(void* handle, std::wstring fileName)
        : handle_(handle), fileName_(std::move(fileName)) {}
    PosixLibrary(const PosixLibrary&) = delete;
    PosixLibrary& operator=(const PosixLibrary&) = delete;
    ~PosixLibrary() override { dlclose(handle_); }

    void* Symbol(const char* name) override {
        void* address = dlsym(handle_, name);
        if (address == nullptr) {
            std::string entry(name);
            common::Raise(common::FailureNumber::DllEntryPoint,
                          std::wstring(entry.begin(), entry.end()) + L" in " + fileName_);
        }
        return address;
    }

private:
    void* handle_;
    std::wstring fileName_;
};

}  // namespace

std::unique_ptr<Library> LoadLibraryFile(const std::string& path, const std::wstring& fileName) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) common::Raise(common::FailureNumber::DllLoad, fileName);
    return std::make_unique<PosixLibrary>(handle, fileName);
}

std::unique_ptr<Library> PosixLibraries::LoadFromProgramFolder(const std::wstring& name) {
    std::wstring fileName = FileNameOf(name);
    std::string folder = ProgramFolderBytes();
    // A name with a slash in it would leave the program's folder.
    if (folder.empty() || fileName.find(L'/') != std::wstring::npos)
        common::Raise(common::FailureNumber::DllLoad, fileName);
    return LoadLibraryFile(folder + "/" + PosixAnsiText().ToAnsi(fileName), fileName);
}

}  // namespace platform::posix
