// The seam to the operating system. The installer and the extraction
// component reach everything outside themselves through these interfaces;
// production binds the real implementation once at start, tests bind fakes.
//
// Every operation reports trouble by raising a common::Failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// Message box button sets, icons and answers.
enum MsgBoxStyle : int {
    kOkOnly = 0,
    kYesNoCancel = 3,
    kYesNo = 4,
    kCritical = 16,     // stop icon
    kExclamation = 48,  // warning icon
};
enum MsgBoxAnswer : int {
    kAnswerOk = 1,
    kAnswerCancel = 2,
    kAnswerYes = 6,
    kAnswerNo = 7,
};

// Window style for starting a program: normal, with focus.
constexpr int kNormalFocus = 1;

// Attribute masks of the directory listing.
constexpr int kAttrNormal = 0;      // ordinary entries only
constexpr int kAttrDirectory = 16;  // directories as well

struct Dialogs {
    // A modal message box; an empty title means the application title.
    // Returns the answer (MsgBoxAnswer).
    virtual int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) = 0;
    // A modal input box with the application title; empty when cancelled.
    virtual std::wstring InputBox(const std::wstring& prompt) = 0;
    virtual ~Dialogs() = default;
};

// Sequential reading of a text file in the ANSI code page. A line ends at CR
// or at CR LF; a bare LF is part of the line. The last line needs no end.
struct TextReader {
    virtual bool AtEnd() = 0;
    virtual std::wstring ReadLine() = 0;
    virtual ~TextReader() = default;
};

struct FileSystem {
    // The folder that holds the running program, without a trailing
    // separator unless it is a drive root ("C:\").
    virtual std::wstring ProgramFolder() = 0;
    // Opens for reading: 53 when missing, 75 or 70 when it cannot be read.
    virtual std::unique_ptr<TextReader> OpenText(const std::wstring& path) = 0;
    // The first entry matching `name` under the attribute mask, or empty.
    virtual std::wstring Dir(const std::wstring& name, int attributes) = 0;
    // Creates one directory level.
    virtual void MkDir(const std::wstring& path) = 0;
    // The full form of a folder or file name, the way the system itself
    // completes it: a relative name (an empty one is the current folder) is
    // taken against the process's current folder. Touches no file.
    virtual std::wstring FullPath(const std::wstring& path) = 0;
    virtual ~FileSystem() = default;
};

struct Processes {
    // Starts a program without waiting for it, as the person logged on: by
    // the desktop's shell where one serves the desktop (start_route.h).
    virtual void Shell(const std::wstring& commandLine, int windowStyle) = 0;
    // Ends the program at once with the given exit code; nothing after it runs.
    // Implementations never return (a test's fake throws).
    virtual void End(int exitCode) = 0;
    virtual ~Processes() = default;
};

// The shell's shortcut objects: a shell object with its special folders and
// shortcut files. Each object releases what it holds when destroyed.
struct WshShortcut {
    virtual void SetTargetPath(const std::wstring& path) = 0;
    virtual void SetArguments(const std::wstring& arguments) = 0;
    virtual void SetWorkingDirectory(const std::wstring& folder) = 0;
    virtual void Save() = 0;
    virtual ~WshShortcut() = default;
};
struct WshShell {
    // SpecialFolders.Item(name): "Desktop", "Programs".
    virtual std::wstring SpecialFolder(const std::wstring& name) = 0;
    virtual std::unique_ptr<WshShortcut> CreateShortcut(const std::wstring& path) = 0;
    virtual ~WshShell() = default;
};
struct Shell {
    virtual std::unique_ptr<WshShell> CreateShell() = 0;
    virtual ~Shell() = default;
};

// A loaded shared library; unloaded when destroyed.
struct Library {
    // Address of an exported symbol: 453 when it is missing.
    virtual void* Symbol(const char* name) = 0;
    virtual ~Library() = default;
};
struct Libraries {
    // Loads `fileName` from the running program's own folder only: 48 on failure.
    // A bare name without an extension takes the system's form of a library
    // file name: "unzip32" is unzip32.dll on Windows, libunzip32.so on POSIX.
    virtual std::unique_ptr<Library> LoadFromProgramFolder(const std::wstring& fileName) = 0;
    virtual ~Libraries() = default;
};

// Conversion between program text and the system ANSI code page.
struct AnsiText {
    // Characters without a code become '?'.
    virtual std::string ToAnsi(std::wstring_view text) = 0;
    virtual std::wstring FromAnsi(std::string_view bytes) = 0;
    virtual ~AnsiText() = default;
};

struct Services {
    Dialogs* dialogs = nullptr;
    FileSystem* files = nullptr;
    Processes* processes = nullptr;
    Shell* shell = nullptr;
    Libraries* libraries = nullptr;
    AnsiText* ansi = nullptr;
};

// Binds the services used from now on (the pointers must outlive their use).
void Bind(const Services& services);
const Services& Current();

// Short accessors for the common cases.
inline Dialogs& dialogs() { return *Current().dialogs; }
inline FileSystem& files() { return *Current().files; }
inline Processes& processes() { return *Current().processes; }
inline Shell& shell() { return *Current().shell; }
inline Libraries& libraries() { return *Current().libraries; }
inline AnsiText& ansi() { return *Current().ansi; }

}  // namespace platform
