// The file system on Windows: the program's folder, text files, the
// directory listing and directory creation.
#include <string>
#include <vector>

#include "common/failure.h"
#include "platform/line_reader.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_services.h"

namespace platform::win32 {

namespace {

using common::FailureNumber;
using common::Raise;

// Windows error codes mapped to the failure table.
FailureNumber FailureOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND: return FailureNumber::FileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH: return FailureNumber::PathNotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return FailureNumber::PermissionDenied;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_DRIVE:
        case ERROR_FILENAME_EXCED_RANGE: return FailureNumber::BadFileName;
        case ERROR_NOT_READY: return FailureNumber::DiskNotReady;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return FailureNumber::DiskFull;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return FailureNumber::OutOfMemory;
        default: return FailureNumber::PathFileAccess;  // access denied, exists, ...
    }
}

[[noreturn]] void RaiseFor(DWORD error, const std::wstring& path) { Raise(FailureOf(error), path); }

// Characters that never belong in a name handed to the listing. '<', '>' and
// '"' would otherwise act as the old DOS wildcards inside FindFirstFile.
bool IsForbiddenNameCharacter(wchar_t c) {
    return c < 32 || c == L'<' || c == L'>' || c == L'"' || c == L'|';
}

// The listing accepts wildcards in the last part of the name only, and ':'
// only after a drive letter.
bool IsWellFormedListingName(const std::wstring& name) {
    size_t lastSeparator = name.find_last_of(L"\\/");
    for (size_t i = 0; i < name.size(); ++i) {
        wchar_t c = name[i];
        if (IsForbiddenNameCharacter(c)) return false;
        if (c == L':' && i != 1) return false;
        if ((c == L'*' || c == L'?') && lastSeparator != std::wstring::npos && i < lastSeparator) {
            return false;
        }
    }
    return true;
}

// Whether an entry passes the listing's attribute mask: hidden and system
// entries only when asked for, directories only with kAttrDirectory.
bool PassesMask(DWORD entryAttributes, int mask) {
    const DWORD asked = static_cast<DWORD>(mask);
    if ((entryAttributes & FILE_ATTRIBUTE_HIDDEN) && !(asked & FILE_ATTRIBUTE_HIDDEN)) return false;
    if ((entryAttributes & FILE_ATTRIBUTE_SYSTEM) && !(asked & FILE_ATTRIBUTE_SYSTEM)) return false;
    if ((entryAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(asked & FILE_ATTRIBUTE_DIRECTORY)) {
        return false;
    }
    return true;
}

class FileByteSource final : public ByteSource {
public:
    FileByteSource(UniqueFileHandle file, std::wstring path)
        : file_(std::move(file)), path_(std::move(path)) {}

    size_t Read(char* buffer, size_t size) override {
        DWORD got = 0;
        DWORD want = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
        if (!ReadFile(file_.get(), buffer, want, &got, nullptr)) {
            DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) return 0;
            Raise(error == ERROR_LOCK_VIOLATION ? FailureNumber::PermissionDenied
                                                : FailureNumber::DeviceIo,
                  path_);
        }
        return got;
    }

private:
    UniqueFileHandle file_;
    std::wstring path_;
};

}  // namespace

std::wstring ProgramFile() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) RaiseFor(GetLastError(), L"program file");
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768) Raise(FailureNumber::PathFileAccess, L"program file");
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FolderOf(const std::wstring& file) {
    const size_t separator = file.find_last_of(L'\\');
    if (separator == std::wstring::npos) return {};
    if (separator >= 2 && file[separator - 1] == L':') return file.substr(0, separator + 1);
    return file.substr(0, separator);
}

std::wstring InFolder(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

std::wstring Win32FileSystem::ProgramFolder() { return FolderOf(ProgramFile()); }

std::unique_ptr<TextReader> Win32FileSystem::OpenText(const std::wstring& path) { return OpenTextFile(path); }

std::unique_ptr<TextReader> OpenTextFile(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) RaiseFor(GetLastError(), path);
    return OpenTextFile(std::move(file), path);
}

std::unique_ptr<TextReader> OpenTextFile(UniqueFileHandle file, const std::wstring& path) {
    return std::make_unique<LineReader>(std::make_unique<FileByteSource>(std::move(file), path));
}

std::wstring Win32FileSystem::Dir(const std::wstring& name, int attributes) {
    if (name.empty()) return {};
    if (!IsWellFormedListingName(name)) Raise(FailureNumber::BadFileName, name);
    WIN32_FIND_DATAW entry{};
    UniqueFindHandle find(FindFirstFileW(name.c_str(), &entry));
    if (!find) {
        DWORD error = GetLastError();
        switch (error) {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_NO_MORE_FILES:
            case ERROR_ACCESS_DENIED:
                return {};
            default:
                RaiseFor(error, name);
        }
    }
    do {
        if (PassesMask(entry.dwFileAttributes, attributes)) return entry.cFileName;
    } while (FindNextFileW(find.get(), &entry));
    return {};
}

void Win32FileSystem::MkDir(const std::wstring& path) {
    if (path.empty()) Raise(FailureNumber::PathNotFound, path);
    if (!CreateDirectoryW(path.c_str(), nullptr)) {
        DWORD error = GetLastError();
        // An existing entry, a denied parent: the classic "path/file access error".
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) {
            Raise(FailureNumber::PathFileAccess, path);
        }
        RaiseFor(error, path);
    }
}

std::wstring Win32FileSystem::FullPath(const std::wstring& path) {
    // The system reads an empty name as no name at all, not as the current folder.
    const std::wstring name = path.empty() ? std::wstring(L".") : path;
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) RaiseFor(GetLastError(), path);
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

}  // namespace platform::win32
