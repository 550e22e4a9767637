// The payload's files made in the private folder through the handle that
// holds it (nt_files.h), each with its own access list (folder_security.h).
// A file is made under its own name but shared with nobody and marked for
// deletion until Keep(): nobody can open it before its size and CRC are
// right (an open of a file marked for deletion fails), and one cut short
// goes with its handle however the launcher ends.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "launcher/payload.h"

namespace launcher::win32 {

class HeldFolderFiles final : public Destination {
public:
    // `folder` stays the caller's and must outlive this object.
    explicit HeldFolderFiles(HANDLE folder) : folder_(folder) {}
    uz::os::Status Create(const std::string& name, std::unique_ptr<NewFile>& file) override;

private:
    HANDLE folder_;
};

}  // namespace launcher::win32
