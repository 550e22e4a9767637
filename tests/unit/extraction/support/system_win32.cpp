#include "extraction_world.h"
#include "platform/win32/win32_services.h"

namespace extraction_test {

platform::Libraries& SystemLibraries() {
    static platform::win32::Win32Libraries libraries;
    return libraries;
}

platform::AnsiText& SystemAnsi() {
    static platform::win32::Win32AnsiText ansi;
    return ansi;
}

}  // namespace extraction_test
