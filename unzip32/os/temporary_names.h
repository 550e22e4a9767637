// Names of the library's temporary files. A file is written under such a
// name beside its target only where the system cannot keep it nameless until
// it is put in place (os.h: OutputFile); the name is what lets a later
// extraction recognise such a file, left behind by a process that ended in
// the middle, and remove it. Nothing else ever bears one: an entry with such
// a name is refused.
//
// The form is ".unzip32-" + 16 lowercase hexadecimal digits + ".tmp": the
// creating process's id and a serial number within the process.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace uz {

// A name not handed out before in this process (the serial counts up).
std::string NextTemporaryName(uint32_t processId);
bool IsTemporaryName(std::string_view name);

}  // namespace uz
