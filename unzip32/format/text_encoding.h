// Text encodings met in archives. Inside the library every name and message
// is UTF-8; the operating-system layer converts at its boundary (os.h).
#pragma once

#include <string>
#include <string_view>

namespace uz {

// IBM PC code page 437, the encoding of names without the UTF-8 flag.
std::string Cp437ToUtf8(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// Valid UTF-8 stays as it is; each byte of an invalid sequence becomes '?'.
std::string RepairUtf8(std::string_view bytes);

// UTF-8 to UTF-16 and back, for the Windows wide-character file API. Invalid
// input is repaired first, so both always succeed.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace uz
