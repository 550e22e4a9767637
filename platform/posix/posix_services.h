// What the native build offers of the platform seam: library loading, text
// conversion and files. Dialogs, processes and shortcuts exist only on Windows
// (native tests bind fakes for them).
#pragma once

#include "platform/platform.h"

namespace platform::posix {

class PosixLibraries final : public Libraries {  // libraries.cpp
public:
    std::unique_ptr<Library> LoadFromProgramFolder(const std::wstring& fileName) override;
};

// The library at `path` exactly (libraries.cpp), for a program that keeps its
// libraries in a folder of its own; `fileName` names it in failures (48).
std::unique_ptr<Library> LoadLibraryFile(const std::string& path, const std::wstring& fileName);

// The locale's narrow encoding (call setlocale first for anything but ASCII).
class PosixAnsiText final : public AnsiText {  // ansi_text.cpp
public:
    std::string ToAnsi(std::wstring_view text) override;
    std::wstring FromAnsi(std::string_view bytes) override;
};

class PosixFileSystem final : public FileSystem {  // files.cpp
public:
    std::wstring ProgramFolder() override;
    std::unique_ptr<TextReader> OpenText(const std::wstring& path) override;
    std::wstring Dir(const std::wstring& name, int attributes) override;
    void MkDir(const std::wstring& path) override;
    std::wstring FullPath(const std::wstring& path) override;
};

}  // namespace platform::posix
