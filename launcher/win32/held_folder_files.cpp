#include "launcher/win32/held_folder_files.h"

#include "launcher/win32/folder_security.h"
#include "launcher/win32/nt_files.h"
#include "unzip32/reuse/names.h"

namespace launcher::win32 {

namespace {

uz::os::Status StatusOf(unsigned long error) {
    const bool full = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
    return {full ? uz::os::Status::DiskFull : uz::os::Status::Failed, static_cast<int>(error)};
}

class HeldFile final : public NewFile {
public:
    explicit HeldFile(nt::UniqueFileHandle file) : file_(std::move(file)) {}
    uz::os::Status Write(const uint8_t* data, size_t n) override {
        while (n > 0) {
            const DWORD want = static_cast<DWORD>(n < (1u << 30) ? n : (1u << 30));
            DWORD put = 0;
            if (!WriteFile(file_.get(), data, want, &put, nullptr)) return StatusOf(GetLastError());
            if (put == 0) return StatusOf(ERROR_DISK_FULL);
            data += put;
            n -= put;
        }
        return {};
    }
    uz::os::Status Keep() override {
        const NTSTATUS status = nt::MarkForDeletion(file_.get(), false);
        if (status < 0) return StatusOf(nt::ErrorOf(status));
        file_.reset();
        return {};
    }

private:
    nt::UniqueFileHandle file_;
};

}  // namespace

uz::os::Status HeldFolderFiles::Create(const std::string& name, std::unique_ptr<NewFile>& file) {
    unsigned long error = 0;
    const platform::win32::UniqueLocalMemory security = SecurityDescriptor(kFileSecurity, error);
    if (!security) return StatusOf(error);
    const std::u16string utf16 = uz::Utf8ToUtf16(name);
    const std::wstring wide(utf16.begin(), utf16.end());
    nt::UniqueFileHandle made;
    // A file system that refuses the mark is refused too: the file would be
    // there under its name before it is right.
    NTSTATUS status = nt::Open(folder_, wide.c_str(), GENERIC_WRITE | DELETE, 0, FILE_CREATE,
                               FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY, security.get(), made);
    if (status >= 0) status = nt::MarkForDeletion(made.get(), true);
    if (status < 0) return StatusOf(nt::ErrorOf(status));
    file = std::make_unique<HeldFile>(std::move(made));
    return {};
}

}  // namespace launcher::win32
