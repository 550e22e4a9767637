#include "extraction_world.h"
#include "platform/posix/posix_services.h"

namespace extraction_test {

platform::Libraries& SystemLibraries() {
    static platform::posix::PosixLibraries libraries;
    return libraries;
}

platform::AnsiText& SystemAnsi() {
    static platform::posix::PosixAnsiText ansi;
    return ansi;
}

}  // namespace extraction_test
