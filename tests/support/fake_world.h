// A scripted world behind the platform seam, for the tests of the installer
// and of the extraction component: files and folders (Setup.ini among them),
// boxes with their answers, started programs, shortcuts, a stand-in unzip
// library, and the setup window's controls. What happens is written to one
// journal, in order. Bound from construction to destruction; the earlier
// binding comes back afterwards.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/failure.h"
#include "installer/setup_window_controls.h"
#include "platform/line_reader.h"
#include "platform/platform.h"

namespace fake {

// Thrown by Processes::End so that nothing after it runs.
struct ProgramEnded {
    int exitCode;
};

struct ShownBox {
    std::wstring prompt;
    int style;
    std::wstring title;
    bool operator==(const ShownBox&) const = default;
};

// Bytes handed out at most `chunk` at a time, so that line ends can fall on
// the edge of a read.
class StringSource final : public platform::ByteSource {
public:
    StringSource(std::string bytes, size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}
    size_t Read(char* buffer, size_t size) override;

private:
    std::string bytes_;
    size_t chunk_;
    size_t pos_ = 0;
};

// One byte per character, as a Latin-1 code page converts.
class Latin1Text : public platform::AnsiText {
public:
    std::string ToAnsi(std::wstring_view text) override;
    std::wstring FromAnsi(std::string_view bytes) override;
};

class World;

// The setup window's texts, starting as the window is designed.
class Controls final : public installer::SetupWindowControls {
public:
    explicit Controls(World& world) : world_(world) {}
    void SetCaption(const std::wstring& text) override { caption = text; }
    void SetMessage(const std::wstring& text) override { message = text; }
    void SetTargetText(const std::wstring& text) override { target = text; }
    std::wstring TargetText() override { return target; }
    void Unload() override;

    std::wstring caption = L"Setup";
    std::wstring message = L"Press the Install button to start the installation of this program";
    std::wstring target;

private:
    World& world_;
};

// What the stand-in library does when Wiz_SingleEntryUnzip is called.
struct UnzipScript {
    int32_t result = 0;
    std::string printed;                 // handed to the print callback
    std::vector<std::wstring> extracts;  // file names created below the destination
};

class World : public platform::Dialogs,
              public platform::FileSystem,
              public platform::Processes,
              public platform::Shell,
              public platform::Libraries,
              public Latin1Text {
public:
    World();
    ~World() override;
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // A file that exists, by full path; OpenText reads `bytes` as ANSI text.
    void AddFile(const std::wstring& path, std::string bytes = {}) { files[path] = std::move(bytes); }
    void AddFolder(const std::wstring& path) { folders.insert(path); }
    // Setup.ini beside the program.
    void SetupFile(std::string bytes) { AddFile(programFolder + L"\\Setup.ini", std::move(bytes)); }
    // The answer to the next question (a box with more than OK).
    void Answer(int answer) { answers.push_back(answer); }

    Controls controls{*this};

    std::wstring programFolder = L"D:\\Install";
    std::wstring currentFolder = L"D:\\Downloads";  // the program's current folder
    std::map<std::wstring, std::string> files;
    std::set<std::wstring> folders;
    std::map<std::wstring, common::FailureNumber> refusals;  // OpenText on these fails
    std::set<std::wstring> failingNames;                     // Dir() on these raises 52
    std::vector<std::wstring> opened;                        // paths given to OpenText
    bool mkdirFails = false;
    bool shellUnavailable = false;  // the shell object cannot be created
    bool shortcutSaveFails = false;
    bool ansiFails = false;         // text conversion raises 7 (inside the driver)
    UnzipScript unzip;
    std::map<std::wstring, std::wstring> specialFolders{
        {L"Desktop", L"C:\\Users\\me\\Desktop"},
        {L"Programs", L"C:\\Users\\me\\Start Menu\\Programs"}};

    // Answers in order. A box with only OK needs none. A scripted nullopt, or
    // a question beyond the script (a test failure too), means the box cannot
    // appear: it raises failure 5.
    std::deque<std::optional<int>> answers;
    std::deque<std::optional<std::wstring>> inputAnswers;
    std::vector<ShownBox> boxes;
    std::vector<std::wstring> inputPrompts;

    std::vector<std::wstring> journal;
    // Called after each journal entry (to change the world mid-procedure).
    std::function<void(const std::wstring& entry)> onEvent;
    void Record(const std::wstring& entry);

    // platform::Dialogs
    int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) override;
    std::wstring InputBox(const std::wstring& prompt) override;
    // platform::FileSystem
    std::wstring ProgramFolder() override { return programFolder; }
    std::unique_ptr<platform::TextReader> OpenText(const std::wstring& path) override;
    std::wstring Dir(const std::wstring& name, int attributes) override;
    void MkDir(const std::wstring& path) override;
    std::wstring FullPath(const std::wstring& path) override;
    // platform::Processes
    void Shell(const std::wstring& commandLine, int windowStyle) override;
    void End(int exitCode) override;
    // platform::Shell
    std::unique_ptr<platform::WshShell> CreateShell() override;
    // platform::Libraries
    std::unique_ptr<platform::Library> LoadFromProgramFolder(const std::wstring& fileName) override;
    // platform::AnsiText
    std::string ToAnsi(std::wstring_view text) override;

private:
    platform::Services previous_;
};

}  // namespace fake
