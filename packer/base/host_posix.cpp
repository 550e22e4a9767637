#include <unistd.h>

#include <algorithm>

#include "common/failure.h"
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

std::unique_ptr<platform::Library> ToolLibraries::LoadFromProgramFolder(const std::wstring& name) {
    const ToolFile library = host_.UnzipLibrary();
    if (library.path.empty()) common::Raise(common::FailureNumber::DllLoad, name);
    return platform::posix::LoadLibraryFile(library.path.native(), host_.TextOf(library.path.filename()));
}

Host& SystemHost() {
    static platform::posix::PosixFileSystem files;
    static platform::posix::PosixAnsiText ansi;
    static Host host{&files, &ansi, nullptr, "libunzip32.so", isatty(STDERR_FILENO) == 1};
    static ToolLibraries libraries(host);
    host.libraries = &libraries;
    return host;
}

}  // namespace packer
