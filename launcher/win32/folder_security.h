// The security descriptors of the private folder and of each file unpacked
// in it, given to each when it is created, so that there is no moment in
// which either exists with other permissions:
//   owner Administrators, named rather than left to the system's "default
//     owner" policy, which may make the person's own account the owner;
//   protected (P): nothing is inherited from the Windows folder's Temp,
//     whose entries let Users create there and CREATOR OWNER do anything;
//   SYSTEM and Administrators: full control;
//   OWNER RIGHTS: read and execute only. An owner may otherwise always read
//     and change the access list (READ_CONTROL and WRITE_DAC, implied); an
//     OWNER RIGHTS entry takes the place of that implied grant, should the
//     owner ever be the person's account after all.
// Everyone, Users, Authenticated Users and Interactive get nothing. The
// folder's entries are inherited (OICI) by whatever else appears in it.
#pragma once

#include <windows.h>
#include <sddl.h>

#include "platform/win32/handles.h"

namespace launcher::win32 {

// In the descriptor language, which is ASCII.
inline constexpr char kFolderSecurity[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;OW)";
inline constexpr char kFileSecurity[] = "O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;OW)";

// The descriptor `sddl` describes; empty, with the system's error, when it cannot be made.
inline platform::win32::UniqueLocalMemory SecurityDescriptor(const char* sddl, unsigned long& error) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        error = GetLastError();
    return platform::win32::UniqueLocalMemory(descriptor);
}

}  // namespace launcher::win32
