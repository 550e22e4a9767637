#include <windows.h>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/files/folder_lock.h"
#include "platform/win32/handles.h"
#include "unzip32/reuse/os.h"

namespace packer {

namespace fs = std::filesystem;

struct FolderLock::Native {
    platform::win32::UniqueFileHandle handle;
};

// Sharing mode 0: while this handle is open, every other open of the file
// fails with a sharing violation, the lock's whole meaning. The file is
// deleted when the handle closes, whatever ends the process
// (FILE_FLAG_DELETE_ON_CLOSE), so no lock outlives its run. A link planted
// at the name is opened as itself (FILE_FLAG_OPEN_REPARSE_POINT), never its
// target, and only the link goes with the handle.
FolderLock::FolderLock(const fs::path& folder) : file_(folder / kFileName) {
    platform::win32::UniqueFileHandle handle(
        CreateFileW(file_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle) {
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION) throw PackError(LockedMessage(folder));
        throw PackError("cannot lock " + QuotedPath(folder) + " (" + QuotedPath(file_) + "): " +
                        uz::os::Describe(uz::os::Status{uz::os::Status::Failed, static_cast<int>(error)}));
    }
    native_ = std::make_unique<Native>(Native{std::move(handle)});
}

FolderLock::~FolderLock() = default;

}  // namespace packer
