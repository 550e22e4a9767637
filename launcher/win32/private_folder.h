// The folder the launcher unpacks into: a new folder with a random name in
// the user's temporary folder, that only Administrators and SYSTEM may write.
//
// Why not the user's own account: the launcher runs elevated, while the
// person's other programs run unelevated under the same account. If that
// account could write here, any of them could swap unzip32.dll between
// unpacking and loading and have it run elevated. For the same reason the
// folder is held open without delete sharing from the moment it is made
// until it is removed: the temporary folder belongs to the user, who could
// otherwise rename ours away and put another in its place.
#pragma once

#include <string>

#include "platform/win32/handles.h"

namespace launcher::win32 {

class PrivateFolder {
public:
    // Creates the folder. False, with the system's error in `error`, when no
    // folder could be made.
    bool Create(unsigned long& error);
    // Removes the folder and every file in it, retrying for a few seconds
    // while a file is still in use (a program that has just ended). Nothing
    // happens when there is no folder; a folder that resists is left.
    bool Remove();
    // Removes what is left.
    ~PrivateFolder() { Remove(); }

    // The folder's full path, without a trailing separator.
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    platform::win32::UniqueFileHandle held_;
};

}  // namespace launcher::win32
