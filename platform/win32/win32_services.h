// The Windows implementation of the platform seam.
#pragma once

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace platform::win32 {

class Win32Dialogs final : public Dialogs {
public:
    // Boxes are modal to this window (none: no owner).
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }

    int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) override;  // message_box.cpp
    std::wstring InputBox(const std::wstring& prompt) override;                             // input_box.cpp

private:
    HWND owner_ = nullptr;
};

class Win32FileSystem final : public FileSystem {  // files.cpp
public:
    std::wstring ProgramFolder() override;
    std::unique_ptr<TextReader> OpenText(const std::wstring& path) override;
    std::wstring Dir(const std::wstring& name, int attributes) override;
    void MkDir(const std::wstring& path) override;
    std::wstring FullPath(const std::wstring& path) override;
};

class Win32Processes final : public Processes {  // processes.cpp
public:
    void Shell(const std::wstring& commandLine, int windowStyle) override;
    void End(int exitCode) override;
};

class Win32Shell final : public Shell {  // wsh_shell.cpp
public:
    std::unique_ptr<WshShell> CreateShell() override;
    // Whether the calling thread entered COM; without it no shell object is asked for.
    void SetComStarted(bool started) { comStarted_ = started; }

private:
    bool comStarted_ = true;
};

class Win32Libraries final : public Libraries {  // libraries.cpp
public:
    std::unique_ptr<Library> LoadFromProgramFolder(const std::wstring& fileName) override;
};

// The library at the full `path` (libraries.cpp), with the same search rules
// for what it needs in turn, for a program that keeps its libraries in a
// folder of its own; `fileName` names it in failures (48).
std::unique_ptr<Library> LoadLibraryFile(const std::wstring& path, const std::wstring& fileName);

class Win32AnsiText final : public AnsiText {  // ansi_text.cpp
public:
    std::string ToAnsi(std::wstring_view text) override;
    std::wstring FromAnsi(std::string_view bytes) override;
};

// The full path of the running program's file (files.cpp); 75 when the
// system cannot say.
std::wstring ProgramFile();
// The folder of the file `file` (a full path): a drive root keeps its
// separator ("C:\", "\\?\C:\"), any other folder drops it.
std::wstring FolderOf(const std::wstring& file);
// `name` in `folder`, with one separator between them.
std::wstring InFolder(const std::wstring& folder, const std::wstring& name);
// What Win32FileSystem::OpenText does, for programs that bind a file system
// of their own.
std::unique_ptr<TextReader> OpenTextFile(const std::wstring& path);
// The same for a file the caller opened for reading; `path` names it in failures.
std::unique_ptr<TextReader> OpenTextFile(UniqueFileHandle file, const std::wstring& path);

// The process-wide instances, bound as the current services by BindWin32Services.
struct Win32Platform {
    Win32Dialogs dialogs;
    Win32FileSystem files;
    Win32Processes processes;
    Win32Shell shell;
    Win32Libraries libraries;
    Win32AnsiText ansi;
};
Win32Platform& BindWin32Services();  // services_win32.cpp

}  // namespace platform::win32
