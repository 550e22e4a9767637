// The operating system as the library needs it: files and directories, the
// archive file, local time and the ANSI text of the binary interface. One
// implementation per platform: os_posix.cpp and os_win32.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "unzip32/format/archive_input.h"

namespace uz::os {

#ifdef _WIN32
using Path = std::wstring;  // always in the \\?\ long-path form
// The long-path form of a full path that came from elsewhere (a folder the
// caller made, say).
Path LongPath(const std::wstring& fullPath);
#else
using Path = std::string;
#endif

// Outcome of a file-system call; `code` is errno or GetLastError().
struct [[nodiscard]] Status {
    enum Kind { Ok, NotFound, Exists, DiskFull, Failed } kind = Ok;
    int code = 0;
    bool ok() const { return kind == Ok; }
};
std::string Describe(const Status& status);  // UTF-8 text of the system's message

// Texts of the binary interface (Windows: CP_ACP; POSIX: the bytes as they
// are, UTF-8 in practice) to and from the library's UTF-8.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// A path the caller gave (archive, destination), as ANSI text.
Path PathFromAnsi(std::string_view ansi);
std::string PathToUtf8(const Path& path);  // for messages: no \\?\ prefix
Path Join(const Path& base, std::string_view utf8Component);

// The platform's rules for what entries become.
bool WindowsNameRules();  // device names, streams, trailing dots (path_sanitizer.h)
bool CrLfLineEnds();      // converted text gets CR LF rather than LF
// Permission bits for a file or folder made from an entry whose Unix mode is
// `unixMode` (0: none stored); -1 leaves the system's default. `exact`
// restores the stored bits as they are; otherwise `umask` limits them.
int FileMode(uint32_t unixMode, bool exact, uint32_t umask);
int DirectoryMode(uint32_t unixMode, bool exact, uint32_t umask);

// The destination: empty means the current folder. Creates every missing
// level and returns its absolute form.
Status PrepareDestination(std::string_view ansiDir, Path& root);

struct FileState {
    bool exists = false;
    bool directory = false;
    bool symlink = false;
    int64_t mtime = 0;  // seconds since 1970, UTC
};
FileState Inspect(const Path& path);  // does not follow a final symbolic link

Status MakeDirectory(const Path& path);  // one level; Exists when it is there already
Status RemoveEmptyDirectory(const Path& path);
Status RemoveFile(const Path& path);
// Whether the system could give the file `utf8Name` in `folder` (its path
// `target`) a name at all: a name or path beyond the system's limits fails
// here, before anything is written.
Status CheckTargetName(const Path& folder, std::string_view utf8Name, const Path& target);
Status SetDirectoryAttributes(const Path& path, int64_t mtime, int mode);  // mode < 0: keep
Status CreateSymlink(const Path& link, std::string_view utf8Target);
bool SupportsSymlinks();
uint32_t Umask();

// A file written beside its target and put in place only by commit();
// destroyed uncommitted, it is removed. Until commit it disappears with the
// process however that ends, where the system allows it: on Linux it has no
// name (O_TMPFILE), on Windows it is marked for deletion. Elsewhere it has a
// temporary name (temporary_names.h) and stays locked against
// RemoveStaleTemporaries while it is open. Created, written and dropped on
// any thread; one thread at a time.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual Status write(const uint8_t* data, size_t n) = 0;
    // Sets the time (mtime < 0: keep) and the mode (mode < 0: keep), then
    // renames the file over `target`.
    virtual Status commit(const Path& target, int64_t mtime, int mode) = 0;
};
Status CreateOutputFile(const Path& directory, std::unique_ptr<OutputFile>& file);
#ifdef _WIN32
// Sets (true) or clears the mark that deletes an open file when its last
// handle closes; false, with the system's error, where the file system
// refuses it. Some do: their files are then made without the mark, and the
// mark is never cleared. Tests give one that refuses.
using DeleteMarkCall = bool (*)(void* file, bool marked);
Status CreateOutputFile(const Path& directory, std::unique_ptr<OutputFile>& file, DeleteMarkCall mark);
#endif
// Removes from `folder` the temporary files that extractions ended in the
// middle left there; never one that a running extraction still has open,
// never anything without such a name.
void RemoveStaleTemporaries(const Path& folder);

Status OpenArchive(const Path& path, std::unique_ptr<ArchiveInput>& input);

// MS-DOS date and time fields, read as local time, to seconds since 1970.
int64_t LocalDosTimeToUnix(int year, int month, int day, int hour, int minute, int second);
struct LocalTime {
    int year, month, day, hour, minute, second;
};
LocalTime UnixToLocal(int64_t seconds);

}  // namespace uz::os
