// The operating-system layer on POSIX systems.
#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <utility>

#include "unzip32/os/os.h"
#include "unzip32/os/temporary_names.h"

namespace uz::os {
namespace {

Status FromErrno(int err) {
    switch (err) {
    case 0: return {Status::Ok, 0};
    case ENOENT: return {Status::NotFound, err};
    case EEXIST: return {Status::Exists, err};
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return {Status::DiskFull, err};
    default: return {Status::Failed, err};
    }
}

// Owns a file descriptor from the moment it is opened.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }
    int get() const { return fd_; }
    // Gives the descriptor up for a close whose result counts.
    int release() { return std::exchange(fd_, -1); }

private:
    void reset() {
        // A close whose result matters goes through release().
        if (fd_ >= 0) static_cast<void>(::close(fd_));
        fd_ = -1;
    }
    int fd_;
};

class FileInput : public ArchiveInput {
public:
    FileInput(UniqueFd fd, uint64_t size) : fd_(std::move(fd)), size_(size) {}
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, uint8_t* buffer, size_t n) override {
        size_t done = 0;
        while (done < n) {
            const ssize_t got = ::pread(fd_.get(), buffer + done, n - done, static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += static_cast<size_t>(got);
        }
        return done;
    }

private:
    UniqueFd fd_;
    uint64_t size_;
};

constexpr int kNameAttempts = 1000;

// Tries `attempt` with fresh temporary names in `directory` until one is
// free; `attempt` gives 0 or errno.
template <typename Attempt>
Status WithFreshName(const Path& directory, Path& name, Attempt attempt) {
    for (int i = 0; i < kNameAttempts; ++i) {
        Path candidate = Join(directory, NextTemporaryName(static_cast<uint32_t>(::getpid())));
        const int err = attempt(candidate);
        if (err == EEXIST) continue;
        if (err == 0) name = std::move(candidate);
        return FromErrno(err);
    }
    return FromErrno(EEXIST);
}

// An unnamed file is linked into its folder through /proc/self/fd (linkat
// with AT_EMPTY_PATH needs a privilege); without /proc it could never be put
// in place.
bool CanLinkUnnamedFiles() {
#ifdef O_TMPFILE
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
#else
    return false;
#endif
}

class PosixOutputFile : public OutputFile {
public:
    explicit PosixOutputFile(Path directory) : directory_(std::move(directory)) {}
    ~PosixOutputFile() override {
        // A destructor cannot report; an unlink that fails leaves a named
        // temporary file for the next extraction into this folder to remove.
        if (!name_.empty() && !committed_) static_cast<void>(::unlink(name_.c_str()));
    }
    // Made after the object, so that a named temporary file always has an owner.
    Status create() {
#ifdef O_TMPFILE
        if (CanLinkUnnamedFiles()) {
            const int fd = ::open(directory_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
            // EOPNOTSUPP: the file system has no unnamed files; EISDIR: the kernel does not know them.
            if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return FromErrno(errno);
            if (fd >= 0) {
                fd_ = UniqueFd(fd);
                return {};
            }
        }
#endif
        return createNamed();
    }
    Status write(const uint8_t* data, size_t n) override {
        while (n > 0) {
            const ssize_t put = ::write(fd_.get(), data, n);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return FromErrno(put < 0 ? errno : ENOSPC);
            data += put;
            n -= static_cast<size_t>(put);
        }
        return {};
    }
    Status commit(const Path& target, int64_t mtime, int mode) override {
        if (mode >= 0 && ::fchmod(fd_.get(), static_cast<mode_t>(mode)) != 0) return FromErrno(errno);
        if (mtime >= 0) {
            const struct timespec times[2] = {{static_cast<time_t>(mtime), 0},
                                              {static_cast<time_t>(mtime), 0}};
            // The data is right; a file system that keeps no such time does not make it wrong.
            static_cast<void>(::futimens(fd_.get(), times));
        }
        if (name_.empty()) {
            // linkat never replaces: straight into place when nothing is
            // there, else under a temporary name that is renamed over it.
            const std::string self = "/proc/self/fd/" + std::to_string(fd_.get());
            const auto link = [&](const Path& at) {
                return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, at.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
            };
            if (const int err = link(target); err != EEXIST) {
                if (err != 0) return FromErrno(err);
                committed_ = true;
                return ::close(fd_.release()) == 0 ? Status{} : FromErrno(errno);
            }
            // Locked for the moment it has a temporary name, as a named one is.
            static_cast<void>(::flock(fd_.get(), LOCK_EX | LOCK_NB));
            if (const Status s = WithFreshName(directory_, name_, link); !s.ok()) return s;
        }
        if (::close(fd_.release()) != 0) return FromErrno(errno);  // NFS and quotas report here
        if (::rename(name_.c_str(), target.c_str()) != 0) return FromErrno(errno);
        committed_ = true;
        return {};
    }

private:
    Status createNamed() {
        for (int i = 0; i < kNameAttempts; ++i) {
            int fd = -1;
            const Status s = WithFreshName(directory_, name_, [&](const Path& at) {
                fd = ::open(at.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
                return fd < 0 ? errno : 0;
            });
            if (!s.ok()) return s;
            fd_ = UniqueFd(fd);
            // Locked while it is open, so that no other extraction's
            // RemoveStaleTemporaries takes it for a leftover. One that such a
            // sweep took between its creation and the lock is made again.
            struct stat st;
            const bool taken = (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) ||
                               (::fstat(fd, &st) == 0 && st.st_nlink == 0);
            if (!taken) return {};
            static_cast<void>(::unlink(name_.c_str()));
            name_.clear();
            fd_ = UniqueFd();
        }
        return FromErrno(EEXIST);
    }

    Path directory_;
    Path name_;  // empty while the file has no name
    UniqueFd fd_;
    bool committed_ = false;
};

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::string Describe(const Status& status) { return std::strerror(status.code); }

std::string AnsiToUtf8(std::string_view ansi) { return std::string(ansi); }
std::string Utf8ToAnsi(std::string_view utf8) { return std::string(utf8); }
Path PathFromAnsi(std::string_view ansi) { return Path(ansi); }
std::string PathToUtf8(const Path& path) { return path; }

Path Join(const Path& base, std::string_view component) {
    if (base.empty()) return Path(component);
    Path out = base;
    if (out.back() != '/') out += '/';
    out += component;
    return out;
}

bool WindowsNameRules() { return false; }
bool CrLfLineEnds() { return false; }

int FileMode(uint32_t unixMode, bool exact, uint32_t umask) {
    if (unixMode == 0) return static_cast<int>(0666 & ~umask);
    if (exact) return static_cast<int>(unixMode & 07777);
    return static_cast<int>(((unixMode & 0777) | 0600) & ~umask);
}

int DirectoryMode(uint32_t unixMode, bool exact, uint32_t umask) {
    if (unixMode == 0) return -1;
    if (exact) return static_cast<int>(unixMode & 07777);
    return static_cast<int>(((unixMode & 0777) | 0700) & ~umask);
}

Status PrepareDestination(std::string_view ansiDir, Path& root) {
    root = ansiDir.empty() ? Path(".") : Path(ansiDir);
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    // Every level from the top down; levels that exist are passed over.
    for (size_t pos = 1; pos <= root.size(); ++pos) {
        if (pos != root.size() && root[pos] != '/') continue;
        const Path level = root.substr(0, pos);
        if (::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) {
            const int err = errno;
            struct stat st;
            if (::stat(level.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return FromErrno(err);
        }
    }
    struct stat st;
    if (::stat(root.c_str(), &st) != 0) return FromErrno(errno);
    if (!S_ISDIR(st.st_mode)) return {Status::Failed, ENOTDIR};
    return {};
}

FileState Inspect(const Path& path) {
    FileState state;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return state;
    state.exists = true;
    state.directory = S_ISDIR(st.st_mode);
    state.symlink = S_ISLNK(st.st_mode);
    state.mtime = st.st_mtime;
    return state;
}

Status MakeDirectory(const Path& path) {
    return ::mkdir(path.c_str(), 0777) == 0 ? Status{} : FromErrno(errno);
}

Status RemoveEmptyDirectory(const Path& path) {
    return ::rmdir(path.c_str()) == 0 ? Status{} : FromErrno(errno);
}

Status CheckTargetName(const Path& folder, std::string_view name, const Path& target) {
    // Far below any file system's limit, a name fits without asking.
    constexpr size_t kNameFitsAnywhere = 128;
    if (name.size() > kNameFitsAnywhere) {
        long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
        if (max < 0) max = NAME_MAX;
        if (name.size() > static_cast<size_t>(max)) return {Status::Failed, ENAMETOOLONG};
    }
    if (target.size() >= PATH_MAX) return {Status::Failed, ENAMETOOLONG};
    return {};
}

Status RemoveFile(const Path& path) {
    return ::unlink(path.c_str()) == 0 ? Status{} : FromErrno(errno);
}

Status SetDirectoryAttributes(const Path& path, int64_t mtime, int mode) {
    if (mode >= 0 && ::chmod(path.c_str(), static_cast<mode_t>(mode)) != 0) return FromErrno(errno);
    if (mtime >= 0) {
        const struct timespec times[2] = {{static_cast<time_t>(mtime), 0},
                                          {static_cast<time_t>(mtime), 0}};
        if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return FromErrno(errno);
    }
    return {};
}

Status CreateSymlink(const Path& link, std::string_view target) {
    return ::symlink(std::string(target).c_str(), link.c_str()) == 0 ? Status{} : FromErrno(errno);
}

bool SupportsSymlinks() { return true; }

uint32_t Umask() {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

Status CreateOutputFile(const Path& directory, std::unique_ptr<OutputFile>& file) {
    auto made = std::make_unique<PosixOutputFile>(directory);
    if (const Status s = made->create(); !s.ok()) return s;
    file = std::move(made);
    return {};
}

void RemoveStaleTemporaries(const Path& folder) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return;
    const int at = ::dirfd(dir.get());
    while (const dirent* item = ::readdir(dir.get())) {
        if (!IsTemporaryName(item->d_name)) continue;
        const UniqueFd file(::openat(at, item->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat opened, named;
        // A lock that cannot be had: a running extraction is writing the file.
        if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
            ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // Still the file that was locked, not one made under the name since.
        if (::fstatat(at, item->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino)
            static_cast<void>(::unlinkat(at, item->d_name, 0));
    }
}

Status OpenArchive(const Path& path, std::unique_ptr<ArchiveInput>& input) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return FromErrno(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return FromErrno(errno);
    if (!S_ISREG(st.st_mode)) return {Status::NotFound, S_ISDIR(st.st_mode) ? EISDIR : EINVAL};
    input = std::make_unique<FileInput>(std::move(fd), static_cast<uint64_t>(st.st_size));
    return {};
}

int64_t LocalDosTimeToUnix(int year, int month, int day, int hour, int minute, int second) {
    struct tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    const time_t t = ::mktime(&tm);
    return t == static_cast<time_t>(-1) ? 0 : static_cast<int64_t>(t);
}

LocalTime UnixToLocal(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    struct tm tm {};
    if (!::localtime_r(&t, &tm)) return {1980, 1, 1, 0, 0, 0};
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace uz::os

#endif  // !_WIN32
