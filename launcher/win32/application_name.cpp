#include "launcher/win32/application_name.h"

#include "common/failure.h"
#include "launcher/win32/nt_files.h"
#include "installer/setup_file.h"
#include "platform/platform.h"
#include "platform/win32/win32_services.h"

namespace launcher::win32 {

namespace {

// The file system as setup.exe will see it from the unpacked folder. The
// reader only opens Setup.ini there, through the handle that holds the
// folder; it neither lists nor creates.
class UnpackedFiles final : public platform::FileSystem {
public:
    UnpackedFiles(std::wstring folder, HANDLE held) : folder_(std::move(folder)), held_(held) {}
    std::wstring ProgramFolder() override { return folder_; }
    std::unique_ptr<platform::TextReader> OpenText(const std::wstring& path) override {
        // The reader opens only files beside setup.exe, by names it made
        // from ProgramFolder().
        nt::UniqueFileHandle file;
        if (path.size() <= folder_.size() + 1 || path.compare(0, folder_.size(), folder_) != 0 ||
            nt::Open(held_, path.c_str() + folder_.size() + 1, GENERIC_READ, FILE_SHARE_READ, FILE_OPEN,
                     FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, nullptr, file) < 0)
            common::Raise(common::FailureNumber::FileNotFound, path);
        return platform::win32::OpenTextFile(std::move(file), path);
    }
    std::wstring Dir(const std::wstring&, int) override { return {}; }
    void MkDir(const std::wstring& path) override {
        common::Raise(common::FailureNumber::PermissionDenied, L"the launcher creates no folder: " + path);
    }
    std::wstring FullPath(const std::wstring& path) override {
        common::Raise(common::FailureNumber::InvalidCall, L"the launcher completes no folder name: " + path);
    }

private:
    std::wstring folder_;
    HANDLE held_;
};

// Binds the services the reader needs, the file system and the ANSI code
// page, for its lifetime.
class ReaderServices {
public:
    ReaderServices(std::wstring folder, HANDLE held) : files_(std::move(folder), held), previous_(platform::Current()) {
        platform::Bind(platform::Services{.files = &files_, .ansi = &ansi_});
    }
    ReaderServices(const ReaderServices&) = delete;
    ReaderServices& operator=(const ReaderServices&) = delete;
    ~ReaderServices() { platform::Bind(previous_); }

private:
    UnpackedFiles files_;
    platform::win32::Win32AnsiText ansi_;
    platform::Services previous_;
};

}  // namespace

std::wstring ApplicationName(const std::wstring& folder, HANDLE held) {
    const ReaderServices services(folder, held);
    try {
        return installer::LastSetupValue(installer::SetupKey::Application).value_or(std::wstring());
    } catch (const common::Failure&) {
        // setup.exe reports what is wrong with the file; the window just goes unnamed.
        return {};
    }
}

}  // namespace launcher::win32
