#include <io.h>

#include <cstdio>

#include "common/failure.h"
#include "packer/base/host.h"
#include "platform/win32/win32_services.h"

namespace packer {

std::filesystem::path Host::PathOf(const std::wstring& text) const {
    return std::filesystem::path(text);
}

std::wstring Host::TextOf(const std::filesystem::path& path) const { return path.native(); }

std::unique_ptr<platform::Library> ToolLibraries::LoadFromProgramFolder(const std::wstring& name) {
    const ToolFile library = host_.UnzipLibrary();
    if (library.path.empty()) common::Raise(common::FailureNumber::DllLoad, name);
    return platform::win32::LoadLibraryFile(library.path.native(), library.path.filename().native());
}

Host& SystemHost() {
    static platform::win32::Win32FileSystem files;
    static platform::win32::Win32AnsiText ansi;
    static Host host{&files, &ansi, nullptr, "unzip32.dll", _isatty(_fileno(stderr)) != 0};
    static ToolLibraries libraries(host);
    host.libraries = &libraries;
    return host;
}

}  // namespace packer
