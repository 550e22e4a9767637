#include <unistd.h>

#include <algorithm>

#include "packer/base/host.h"
#include "platform/posix/posix_services.h"

namespace packer {

std::filesystem::path Host::PathOf(const std::wstring& text) const {
    std::wstring slashed = text;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    return std::filesystem::path(ansi->ToAnsi(slashed));
}

std::wstring Host::TextOf(const std::filesystem::path& path) const {
    return ansi->FromAnsi(path.native());
}

Host& SystemHost() {
    static platform::posix::PosixFileSystem files;
    static platform::posix::PosixAnsiText ansi;
    static platform::posix::PosixLibraries libraries;
    static Host host{&files, &ansi, &libraries, "libunzip32.so", isatty(STDERR_FILENO) == 1};
    return host;
}

}  // namespace packer
