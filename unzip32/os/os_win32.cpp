// The operating-system layer on Windows: wide-character API and \\?\ long
// paths throughout; the texts of the binary interface are in CP_ACP.
#ifdef _WIN32

#include <windows.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "unzip32/format/text_encoding.h"
#include "unzip32/os/os.h"
#include "unzip32/os/temporary_names.h"
#include "unzip32/os/windows_paths.h"

namespace uz::os {
namespace {

Status FromError(DWORD err) {
    switch (err) {
    case ERROR_SUCCESS: return {Status::Ok, 0};
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE: return {Status::NotFound, static_cast<int>(err)};
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return {Status::Exists, static_cast<int>(err)};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return {Status::DiskFull, static_cast<int>(err)};
    default: return {Status::Failed, static_cast<int>(err)};
    }
}
Status LastError() { return FromError(GetLastError()); }

// Owners of what the system hands out, from the moment it does.
struct HandleCloser {
    void operator()(HANDLE h) const {
        // A close whose result matters goes through release().
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using UniqueFile = std::unique_ptr<void, HandleCloser>;
struct LocalFreer {
    void operator()(wchar_t* text) const { LocalFree(text); }
};

std::wstring Widen(std::string_view utf8) {
    const std::u16string wide = Utf8ToUtf16(utf8);
    return std::wstring(wide.begin(), wide.end());
}

std::string Narrow(std::wstring_view wide) {
    return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

constexpr int64_t kFileTimeUnixEpoch = 116444736000000000LL;  // 1970-01-01 in 100 ns since 1601

FILETIME ToFileTime(int64_t unix) {
    const uint64_t t = static_cast<uint64_t>(unix * 10000000LL + kFileTimeUnixEpoch);
    return FILETIME{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

int64_t FromFileTime(const FILETIME& ft) {
    const int64_t t = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return (t - kFileTimeUnixEpoch) / 10000000LL;
}


class FileInput : public ArchiveInput {
public:
    FileInput(UniqueFile file, uint64_t size) : file_(std::move(file)), size_(size) {}
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, uint8_t* buffer, size_t n) override {
        size_t done = 0;
        while (done < n) {
            OVERLAPPED at{};
            const uint64_t pos = offset + done;
            at.Offset = static_cast<DWORD>(pos);
            at.OffsetHigh = static_cast<DWORD>(pos >> 32);
            const DWORD want = static_cast<DWORD>(std::min<size_t>(n - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file_.get(), buffer + done, want, &got, &at) || got == 0) break;
            done += got;
        }
        return done;
    }

private:
    UniqueFile file_;
    uint64_t size_;
};

// Sets or clears the mark that deletes the file when its last handle closes,
// whoever closes it: this process, or the system when the process ends.
bool MarkForDeletion(void* file, bool marked) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = marked;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// Renames the open file over `target` (a \\?\ path). Through the handle, so
// that the file stays open, unshared, until it is in place.
bool RenameOpenFile(HANDLE file, const std::wstring& target) {
    // The rename takes the native form of the path.
    const std::wstring native = NativeForm(target);
    const DWORD nameBytes = static_cast<DWORD>(native.size() * sizeof(wchar_t));
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = nameBytes;
    std::memcpy(info->FileName, native.data(), nameBytes);
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size()));
}

// Pauses between tries at replacing a file that someone holds open, about a
// second in all.
constexpr DWORD kReplaceRetryMs[] = {10, 20, 40, 80, 150, 250, 450};

// The rename over `target`, tried again while the old file is held. A file
// open without delete sharing cannot be replaced: the rename fails with
// access denied or a sharing violation, whoever holds it (a virus scanner
// reading the old file, the old program still running), and such holds
// mostly end within moments. A read-only old file refuses the same way, for
// good, and is not waited for.
Status RenameOverHeld(HANDLE file, const std::wstring& target) {
    for (size_t attempt = 0;; ++attempt) {
        if (RenameOpenFile(file, target)) return {};
        const DWORD err = GetLastError();
        const DWORD attributes = GetFileAttributesW(target.c_str());
        const bool held = (err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION) &&
                          (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY));
        if (!held || attempt == std::size(kReplaceRetryMs)) return FromError(err);
        Sleep(kReplaceRetryMs[attempt]);
    }
}

class WinOutputFile : public OutputFile {
public:
    WinOutputFile(Path directory, DeleteMarkCall mark) : directory_(std::move(directory)), mark_(mark) {}
    ~WinOutputFile() override {
        file_.reset();  // a marked file goes with its handle; an unmarked one cannot be deleted while open
        // A destructor cannot report; a delete that fails leaves a temporary
        // file for the next extraction into this folder to remove.
        if (!temp_.empty() && !committed_) DeleteFileW(temp_.c_str());
    }
    // Made after the object, so that a temporary file always has an owner.
    Status create() {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            std::wstring name = Join(directory_, NextTemporaryName(GetCurrentProcessId()));
            // Not shared, not even for deletion: another extraction's
            // RemoveStaleTemporaries cannot take it while it is open.
            UniqueFile made(CreateFileW(name.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            if (made.get() != INVALID_HANDLE_VALUE) {
                // Where the file system refuses the mark, the name stays
                // behind if the process ends here, for the next extraction
                // to remove.
                marked_ = mark_(made.get(), true);
                file_ = std::move(made);
                temp_ = std::move(name);
                return {};
            }
            const DWORD err = GetLastError();
            if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return FromError(err);
        }
        return FromError(ERROR_FILE_EXISTS);
    }
    Status write(const uint8_t* data, size_t n) override {
        while (n > 0) {
            const DWORD want = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
            DWORD put = 0;
            if (!WriteFile(file_.get(), data, want, &put, nullptr)) return LastError();
            if (put == 0) return FromError(ERROR_DISK_FULL);
            data += put;
            n -= put;
        }
        return {};
    }
    Status commit(const Path& target, int64_t mtime, int) override {
        if (mtime >= 0) {
            const FILETIME ft = ToFileTime(mtime);
            // The data is right; a file system that keeps no such time does not make it wrong.
            static_cast<void>(SetFileTime(file_.get(), nullptr, &ft, &ft));
        }
        if (marked_) {
            if (!mark_(file_.get(), false)) return LastError();
            marked_ = false;
        }
        if (const Status renamed = RenameOverHeld(file_.get(), target); !renamed.ok()) {
            // The old file stays as it was; the new one goes with its handle,
            // as it would if the process ended now.
            marked_ = mark_(file_.get(), true);
            return renamed;
        }
        committed_ = true;
        if (!CloseHandle(file_.release())) return LastError();
        return {};
    }

private:
    Path directory_;
    DeleteMarkCall mark_;
    Path temp_;  // empty until the file exists
    UniqueFile file_;
    bool marked_ = false;  // the file goes when its handle closes
    bool committed_ = false;
};

struct FindCloser {
    void operator()(HANDLE find) const {
        if (find != INVALID_HANDLE_VALUE) FindClose(find);
    }
};

}  // namespace

Path LongPath(const std::wstring& full) { return LongForm(full); }

std::string Describe(const Status& status) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(status.code), 0,
                                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::unique_ptr<wchar_t, LocalFreer> owned(text);
    std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    if (message.empty()) return "system error " + std::to_string(status.code);
    return Narrow(message);
}

std::string AnsiToUtf8(std::string_view ansi) {
    if (ansi.empty()) return {};
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
    return Narrow(wide);
}

std::string Utf8ToAnsi(std::string_view utf8) {
    const std::wstring wide = Widen(utf8);
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr,
                        nullptr);
    return ansi;
}

Path PathFromAnsi(std::string_view ansi) { return Widen(AnsiToUtf8(ansi)); }

std::string PathToUtf8(const Path& path) { return Narrow(PlainForm(path)); }

Path Join(const Path& base, std::string_view component) {
    Path out = base;
    if (!out.empty() && out.back() != L'\\') out += L'\\';
    out += Widen(component);
    return out;
}

// Names follow Windows rules; permissions come from the folder, never the
// archive (see README: Privilege).
bool WindowsNameRules() { return true; }
bool CrLfLineEnds() { return true; }
int FileMode(uint32_t, bool, uint32_t) { return -1; }
int DirectoryMode(uint32_t, bool, uint32_t) { return -1; }

Status PrepareDestination(std::string_view ansiDir, Path& root) {
    std::wstring given = ansiDir.empty() ? std::wstring(L".") : PathFromAnsi(ansiDir);
    for (auto& c : given)
        if (c == L'/') c = L'\\';
    const DWORD n = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (n == 0) return LastError();
    std::wstring full(n, L'\0');
    const DWORD len = GetFullPathNameW(given.c_str(), n, full.data(), nullptr);
    if (len == 0 || len >= n) return LastError();
    full.resize(len);
    while (full.size() > 3 && full.back() == L'\\') full.pop_back();
    root = LongPath(full);
    // Levels below the volume ("C:\" or "\\server\share\") from the top down.
    size_t start = 0;
    const size_t prefix = root.rfind(L"\\\\?\\UNC\\", 0) == 0 ? 8 : 4;
    if (prefix == 8) {
        start = root.find(L'\\', prefix);                                   // after server
        start = start == Path::npos ? root.size() : root.find(L'\\', start + 1);  // after share
        if (start == Path::npos) start = root.size();
    } else {
        start = root.find(L'\\', prefix);
        if (start == Path::npos) start = root.size();
    }
    for (size_t pos = start + 1; pos <= root.size(); ++pos) {
        if (pos != root.size() && root[pos] != L'\\') continue;
        const std::wstring level = root.substr(0, pos);
        if (!CreateDirectoryW(level.c_str(), nullptr)) {
            const DWORD err = GetLastError();
            const DWORD attrs = GetFileAttributesW(level.c_str());
            if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return FromError(err);
        }
    }
    const DWORD attrs = GetFileAttributesW(root.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return LastError();
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return FromError(ERROR_DIRECTORY);
    return {};
}

FileState Inspect(const Path& path) {
    FileState state;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return state;
    state.exists = true;
    state.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    state.symlink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    state.mtime = FromFileTime(data.ftLastWriteTime);
    return state;
}

Status MakeDirectory(const Path& path) {
    return CreateDirectoryW(path.c_str(), nullptr) ? Status{} : LastError();
}

Status RemoveEmptyDirectory(const Path& path) { return RemoveDirectoryW(path.c_str()) ? Status{} : LastError(); }

Status RemoveFile(const Path& path) { return DeleteFileW(path.c_str()) ? Status{} : LastError(); }

Status CheckTargetName(const Path&, std::string_view name, const Path& target) {
    // Components of NTFS, FAT and exFAT names, in UTF-16 units (never more than UTF-8 bytes).
    constexpr size_t kMaxComponent = 255;
    constexpr size_t kMaxPath = 32767;  // \\?\ paths
    if ((name.size() > kMaxComponent && Widen(name).size() > kMaxComponent) || target.size() >= kMaxPath)
        return FromError(ERROR_FILENAME_EXCED_RANGE);
    return {};
}

Status SetDirectoryAttributes(const Path& path, int64_t mtime, int) {
    if (mtime < 0) return {};
    const UniqueFile folder(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder.get() == INVALID_HANDLE_VALUE) return LastError();
    const FILETIME ft = ToFileTime(mtime);
    return SetFileTime(folder.get(), nullptr, &ft, &ft) ? Status{} : LastError();
}

Status CreateSymlink(const Path&, std::string_view) { return FromError(ERROR_NOT_SUPPORTED); }
bool SupportsSymlinks() { return false; }
uint32_t Umask() { return 0; }

Status CreateOutputFile(const Path& directory, std::unique_ptr<OutputFile>& file, DeleteMarkCall mark) {
    auto made = std::make_unique<WinOutputFile>(directory, mark);
    if (const Status s = made->create(); !s.ok()) return s;
    file = std::move(made);
    return {};
}

Status CreateOutputFile(const Path& directory, std::unique_ptr<OutputFile>& file) {
    return CreateOutputFile(directory, file, MarkForDeletion);
}

void RemoveStaleTemporaries(const Path& folder) {
    WIN32_FIND_DATAW found;
    const std::unique_ptr<void, FindCloser> find(FindFirstFileExW((folder + L"\\.unzip32-*").c_str(),
                                                                  FindExInfoBasic, &found, FindExSearchNameMatch,
                                                                  nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (find.get() == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (!IsTemporaryName(Narrow(found.cFileName))) continue;
        // One that a running extraction holds open refuses to go.
        static_cast<void>(DeleteFileW((folder + L'\\' + found.cFileName).c_str()));
    } while (FindNextFileW(find.get(), &found));
}

Status OpenArchive(const Path& path, std::unique_ptr<ArchiveInput>& input) {
    std::wstring given = path;
    for (auto& c : given)
        if (c == L'/') c = L'\\';
    // The long-path form, so that an archive deep in a folder tree opens too.
    std::wstring full = given;
    if (const DWORD n = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr); n != 0) {
        std::wstring buffer(n, L'\0');
        const DWORD len = GetFullPathNameW(given.c_str(), n, buffer.data(), nullptr);
        if (len != 0 && len < n) full = LongPath(buffer.substr(0, len));
    }
    UniqueFile file(CreateFileW(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) return LastError();
    LARGE_INTEGER size;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !GetFileSizeEx(file.get(), &size))
        return FromError(ERROR_FILE_NOT_FOUND);
    input = std::make_unique<FileInput>(std::move(file), static_cast<uint64_t>(size.QuadPart));
    return {};
}

int64_t LocalDosTimeToUnix(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = static_cast<WORD>(second);
    SYSTEMTIME utc;
    FILETIME ft;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft)) return 0;
    return FromFileTime(ft);
}

LocalTime UnixToLocal(int64_t seconds) {
    const FILETIME ft = ToFileTime(seconds);
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return {1980, 1, 1, 0, 0, 0};
    return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

}  // namespace uz::os

#endif  // _WIN32
