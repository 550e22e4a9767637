#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/files/system_file.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

std::string Reason(int error) { return std::error_code(error, std::generic_category()).message(); }

[[noreturn]] void Fail(const char* what, const fs::path& path, int error) {
    throw PackError(std::string("cannot ") + what + " " + QuotedPath(path) + ": " + Reason(error));
}

}  // namespace

struct SystemFile::Native {
    explicit Native(int descriptor) : fd(descriptor) {}
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;
    // A close whose result counts goes through SystemFile::Close.
    ~Native() {
        if (fd >= 0) static_cast<void>(::close(fd));
    }
    int fd;
};

SystemFile::SystemFile(fs::path path, std::unique_ptr<Native> native)
    : path_(std::move(path)), native_(std::move(native)) {}
SystemFile::SystemFile(SystemFile&&) noexcept = default;
SystemFile& SystemFile::operator=(SystemFile&&) noexcept = default;
SystemFile::~SystemFile() = default;

SystemFile SystemFile::CreateNew(const fs::path& path) {
    // O_EXCL fails on any existing name, a dangling link included, and with
    // O_NOFOLLOW too a link is never followed.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) Fail("create", path, errno);
    return SystemFile(path, std::make_unique<Native>(fd));
}

void SystemFile::WriteAt(uint64_t offset, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::pwrite(native_->fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (put < 0 && errno == EINTR) continue;
        // A write that takes nothing without an error has found no room.
        if (put <= 0) Fail("write", path_, put < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<size_t>(put));
        offset += static_cast<uint64_t>(put);
    }
}

size_t SystemFile::ReadAt(uint64_t offset, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(native_->fd, buffer + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail("read back", path_, errno);
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

void SystemFile::Flush() {
    if (::fsync(native_->fd) != 0) Fail("write", path_, errno);
}

uint64_t SystemFile::Size() {
    struct stat st;
    if (::fstat(native_->fd, &st) != 0) Fail("read back", path_, errno);
    return static_cast<uint64_t>(st.st_size);
}

void SystemFile::Close() {
    const int fd = std::exchange(native_->fd, -1);
    if (fd >= 0 && ::close(fd) != 0) Fail("write", path_, errno);
}

bool MakeOwnFolder(const fs::path& path) {
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    if (errno == EEXIST) return false;
    Fail("create", path, errno);
}

void RenameOver(const fs::path& from, const fs::path& to) {
    // rename replaces the directory entry `to`, whatever it is, and never
    // writes through a link.
    if (::rename(from.c_str(), to.c_str()) != 0) Fail("put in place", to, errno);
}

}  // namespace packer
