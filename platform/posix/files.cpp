// The file system on POSIX, with the contract of the Windows one: paths may
// use "\" or "/" as separator (the installer joins with "\"), the listing
// returns the first matching entry of a folder, creation makes one level.
// Names travel in the locale's narrow encoding.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cwchar>
#include <string>
#include <vector>

#include "common/failure.h"
#include "platform/line_reader.h"
#include "platform/posix/posix_services.h"

namespace platform::posix {

namespace {

using common::FailureNumber;
using common::Raise;

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

class Directory {
public:
    explicit Directory(DIR* dir) : dir_(dir) {}
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;
    ~Directory() {
        if (dir_) ::closedir(dir_);
    }
    DIR* get() const { return dir_; }

private:
    DIR* dir_;
};

FailureNumber FailureOf(int error) {
    switch (error) {
        case ENOENT: return FailureNumber::FileNotFound;
        case ENOTDIR: return FailureNumber::PathNotFound;
        case ENAMETOOLONG: return FailureNumber::BadFileName;
        case ENOSPC: return FailureNumber::DiskFull;
        case ENOMEM: return FailureNumber::OutOfMemory;
        case EIO: return FailureNumber::DeviceIo;
        case ETXTBSY:
        case EBUSY: return FailureNumber::PermissionDenied;
        default: return FailureNumber::PathFileAccess;  // EACCES, EEXIST, EISDIR, ...
    }
}

std::string NativePath(const std::wstring& path) {
    std::wstring slashed = path;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    std::string out;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (wchar_t c : slashed) {
        size_t n = std::wcrtomb(bytes, c, &state);
        if (n == static_cast<size_t>(-1)) Raise(FailureNumber::BadFileName, path);
        out.append(bytes, n);
    }
    return out;
}

std::wstring WideName(const std::string& name) {
    std::wstring out;
    std::mbstate_t state{};
    const char* p = name.data();
    const char* end = p + name.size();
    while (p < end) {
        wchar_t c = 0;
        size_t n = std::mbrtowc(&c, p, static_cast<size_t>(end - p), &state);
        if (n == 0) n = 1;
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2)) {
            c = L'?';  // not in the locale's encoding
            n = 1;
            state = {};
        }
        out.push_back(c);
        p += n;
    }
    return out;
}

// A dot name counts as hidden; there are no system entries.
bool PassesMask(const std::string& entryName, bool isDirectory, int mask) {
    constexpr int kHidden = 2;
    if (!entryName.empty() && entryName[0] == '.' && entryName != "." && entryName != ".." &&
        !(mask & kHidden)) {
        return false;
    }
    return !isDirectory || (mask & kAttrDirectory);
}

class FdByteSource final : public ByteSource {
public:
    FdByteSource(int fd, std::wstring path) : fd_(fd), path_(std::move(path)) {}

    size_t Read(char* buffer, size_t size) override {
        for (;;) {
            ssize_t got = ::read(fd_.get(), buffer, size);
            if (got >= 0) return static_cast<size_t>(got);
            if (errno != EINTR) Raise(FailureNumber::DeviceIo, path_);
        }
    }

private:
    Descriptor fd_;
    std::wstring path_;
};

}  // namespace

std::wstring PosixFileSystem::ProgramFolder() {
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) Raise(FailureOf(errno), L"program file");
        if (static_cast<size_t>(length) < buffer.size()) {
            std::string file(buffer.data(), static_cast<size_t>(length));
            size_t separator = file.find_last_of('/');
            if (separator == std::string::npos) return {};
            return WideName(separator == 0 ? std::string("/") : file.substr(0, separator));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::unique_ptr<TextReader> PosixFileSystem::OpenText(const std::wstring& path) {
    std::string native = NativePath(path);
    int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) Raise(FailureOf(errno), path);
    auto source = std::make_unique<FdByteSource>(fd, path);
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) Raise(FailureNumber::PathFileAccess, path);
    return std::make_unique<LineReader>(std::move(source));
}

std::wstring PosixFileSystem::Dir(const std::wstring& name, int attributes) {
    if (name.empty()) return {};
    std::string native = NativePath(name);
    for (char c : native) {
        if (static_cast<unsigned char>(c) < 32) Raise(FailureNumber::BadFileName, name);
    }
    size_t separator = native.find_last_of('/');
    std::string folder = separator == std::string::npos ? "." : native.substr(0, separator + 1);
    std::string pattern = separator == std::string::npos ? native : native.substr(separator + 1);
    if (folder.find_first_of("*?") != std::string::npos) Raise(FailureNumber::BadFileName, name);
    if (pattern.empty()) return {};

    if (pattern.find_first_of("*?") == std::string::npos) {
        struct stat info {};
        if (::stat(native.c_str(), &info) != 0) return {};
        return PassesMask(pattern, S_ISDIR(info.st_mode), attributes) ? WideName(pattern)
                                                                      : std::wstring();
    }

    Directory dir(::opendir(folder.c_str()));
    if (!dir.get()) return {};
    std::vector<std::string> matches;
    while (dirent* entry = ::readdir(dir.get())) {
        if (::fnmatch(pattern.c_str(), entry->d_name, 0) == 0) matches.emplace_back(entry->d_name);
    }
    // Directory order is arbitrary here; sorted names give a stable "first".
    std::sort(matches.begin(), matches.end());
    for (const std::string& match : matches) {
        struct stat info {};
        if (::stat((folder + match).c_str(), &info) != 0) continue;
        if (PassesMask(match, S_ISDIR(info.st_mode), attributes)) return WideName(match);
    }
    return {};
}

void PosixFileSystem::MkDir(const std::wstring& path) {
    if (path.empty()) Raise(FailureNumber::PathNotFound, path);
    if (::mkdir(NativePath(path).c_str(), 0777) != 0) {
        int error = errno;
        Raise(error == ENOENT ? FailureNumber::PathNotFound : FailureOf(error), path);
    }
}

std::wstring PosixFileSystem::FullPath(const std::wstring& path) {
    const std::string name = NativePath(path);
    if (!name.empty() && name[0] == '/') return path;
    std::vector<char> buffer(PATH_MAX);
    if (!::getcwd(buffer.data(), buffer.size())) Raise(FailureOf(errno), path);
    std::string full(buffer.data());
    if (!name.empty() && name != ".") full += (full == "/" ? "" : "/") + name;
    return WideName(full);
}

}  // namespace platform::posix
