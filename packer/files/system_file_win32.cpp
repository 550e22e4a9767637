#include <windows.h>

#include <algorithm>
#include <utility>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/files/system_file.h"
#include "unzip32/reuse/os.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

// Chunks of at most this many bytes per call: ReadFile and WriteFile count in DWORDs.
constexpr size_t kMaxTransfer = 1u << 30;

[[noreturn]] void Fail(const char* what, const fs::path& path, DWORD error) {
    throw PackError(std::string("cannot ") + what + " " + QuotedPath(path) + ": " +
                    uz::os::Describe(uz::os::Status{uz::os::Status::Failed, static_cast<int>(error)}));
}

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

}  // namespace

// Owns the handle like UniqueFileHandle, and gives it up for a close whose
// result counts.
struct SystemFile::Native {
    explicit Native(HANDLE opened) : handle(opened) {}
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;
    ~Native() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    HANDLE handle;
};

SystemFile::SystemFile(fs::path path, std::unique_ptr<Native> native)
    : path_(std::move(path)), native_(std::move(native)) {}
SystemFile::SystemFile(SystemFile&&) noexcept = default;
SystemFile& SystemFile::operator=(SystemFile&&) noexcept = default;
SystemFile::~SystemFile() = default;

SystemFile SystemFile::CreateNew(const fs::path& path) {
    // CREATE_NEW fails when the name exists, and a symbolic link or junction
    // is a name that exists: nothing is opened through one. Others may read
    // the file while it is written, never change it.
    auto native = std::make_unique<Native>(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (native->handle == INVALID_HANDLE_VALUE) Fail("create", path, GetLastError());
    return SystemFile(path, std::move(native));
}

void SystemFile::WriteAt(uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        // Every write names its offset: a synchronous handle's file pointer
        // moves with each positioned call.
        OVERLAPPED at = At(offset);
        DWORD put = 0;
        const DWORD size = static_cast<DWORD>(std::min(bytes.size(), kMaxTransfer));
        if (!WriteFile(native_->handle, bytes.data(), size, &put, &at)) Fail("write", path_, GetLastError());
        if (put == 0) Fail("write", path_, ERROR_DISK_FULL);
        bytes.remove_prefix(put);
        offset += put;
    }
}

size_t SystemFile::ReadAt(uint64_t offset, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        OVERLAPPED at = At(offset + done);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min(size - done, kMaxTransfer));
        if (!ReadFile(native_->handle, buffer + done, want, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            Fail("read back", path_, GetLastError());
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

void SystemFile::Flush() {
    if (!FlushFileBuffers(native_->handle)) Fail("write", path_, GetLastError());
}

uint64_t SystemFile::Size() {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(native_->handle, &size)) Fail("read back", path_, GetLastError());
    return static_cast<uint64_t>(size.QuadPart);
}

void SystemFile::Close() {
    const HANDLE handle = std::exchange(native_->handle, INVALID_HANDLE_VALUE);
    if (handle != INVALID_HANDLE_VALUE && !CloseHandle(handle)) Fail("write", path_, GetLastError());
}

bool MakeOwnFolder(const fs::path& path) {
    // CreateDirectory fails on an existing name, a link's included. The
    // folder inherits the access list of the one it is made in.
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return false;
    Fail("create", path, GetLastError());
}

void RenameOver(const fs::path& from, const fs::path& to) {
    // MoveFileEx replaces the directory entry `to`: a symbolic link there is
    // replaced, its target left alone. Without MOVEFILE_COPY_ALLOWED it never
    // falls back to copying, which would write through the name.
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail("put in place", to, GetLastError());
}

}  // namespace packer
