// The system's text for an error, as the launcher's boxes show it.
#pragma once

#include <string>

namespace launcher::win32 {

// The text of `error` without its closing full stop, with `path` where the
// text names the file its error concerns (its first insert, %1). Formatted
// with the inserts ignored (uz::os::Describe): FormatMessageW would
// otherwise read as many values as the text has inserts, whatever the
// caller passed.
std::wstring SystemMessage(unsigned long error, const std::wstring& path = {});

}  // namespace launcher::win32
