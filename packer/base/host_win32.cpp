#include <io.h>

#include <cstdio>

#include "packer/base/host.h"
#include "platform/win32/win32_services.h"

namespace packer {

std::filesystem::path Host::PathOf(const std::wstring& text) const {
    return std::filesystem::path(text);
}

std::wstring Host::TextOf(const std::filesystem::path& path) const { return path.native(); }

Host& SystemHost() {
    static platform::win32::Win32FileSystem files;
    static platform::win32::Win32AnsiText ansi;
    static platform::win32::Win32Libraries libraries;
    static Host host{&files, &ansi, &libraries, "unzip32.dll", _isatty(_fileno(stderr)) != 0};
    return host;
}

}  // namespace packer
