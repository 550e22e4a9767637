#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/files/folder_lock.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

constexpr int kAttempts = 100;

}  // namespace

struct FolderLock::Native {
    explicit Native(int descriptor) : fd(descriptor) {}
    Native(const Native&) = delete;
    Native& operator=(const Native&) = delete;
    ~Native() { ::close(fd); }  // gives the lock up
    int fd;
};

// flock: the lock belongs to the open file and is released when the process
// ends, however. The lock file itself stays after a kill, so the lock is
// taken on whatever file has the name, and kept only when that file still
// has the name once it is held: a run that ends unlinks the file before it
// lets go, and one that took the lock of the unlinked file tries again.
FolderLock::FolderLock(const fs::path& folder) : file_(folder / kFileName) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            throw PackError("cannot lock " + QuotedPath(folder) + " (" + QuotedPath(file_) + "): " +
                            std::error_code(errno, std::generic_category()).message());
        }
        auto native = std::make_unique<Native>(fd);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) throw PackError(LockedMessage(folder));
            throw PackError("cannot lock " + QuotedPath(folder) + ": " +
                            std::error_code(errno, std::generic_category()).message());
        }
        struct stat held, named;
        if (::fstat(fd, &held) == 0 && ::lstat(file_.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            native_ = std::move(native);
            return;
        }
    }
    throw PackError(LockedMessage(folder));
}

FolderLock::~FolderLock() {
    // Unlinked while still held: see the constructor.
    static_cast<void>(::unlink(file_.c_str()));
}

}  // namespace packer
