// A scripted world for the install procedure: files and folders, boxes with
// their answers, started programs, shortcuts and a stand-in unzip library.
// Everything that happens is written to one journal, in order.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "installer/setup_window_controls.h"
#include "platform/platform.h"

namespace fake {

// Thrown by Processes::End so that nothing after it runs.
struct ProgramEnded {
    int exitCode;
};

class World;

class Controls final : public installer::SetupWindowControls {
public:
    explicit Controls(World& world) : world_(world) {}
    void SetCaption(const std::wstring& caption) override { caption_ = caption; }
    void SetMessage(const std::wstring& text) override { message_ = text; }
    void SetTargetText(const std::wstring& text) override { target_ = text; }
    std::wstring TargetText() override { return target_; }
    void Unload() override;

    std::wstring caption_, message_, target_;

private:
    World& world_;
};

// What the stand-in library does when Wiz_SingleEntryUnzip is called.
struct UnzipScript {
    int32_t result = 0;
    std::string printed;                    // handed to the print callback
    std::vector<std::wstring> extracts;     // file names created below the destination
};

class World final : public platform::Dialogs,
                    public platform::FileSystem,
                    public platform::Processes,
                    public platform::Shell,
                    public platform::Libraries,
                    public platform::AnsiText {
public:
    World();
    ~World() override;

    // Files and folders that exist, by full path.
    void AddFile(const std::wstring& path) { files.insert(path); }
    void AddFolder(const std::wstring& path) { folders.insert(path); }

    // Next answers of boxes, in order (a box without a scripted answer gets OK/Yes... see .cpp).
    void Answer(int answer) { answers.push_back(answer); }

    std::set<std::wstring> files, folders;
    std::set<std::wstring> failingNames;   // Dir() on these raises 52
    std::deque<int> answers;
    bool mkdirFails = false;
    bool shellUnavailable = false;          // the shell object cannot be created
    bool shortcutSaveFails = false;
    bool ansiFails = false;                 // text conversion raises 7 (inside the driver)
    UnzipScript unzip;
    std::map<std::wstring, std::wstring> specialFolders{
        {L"Desktop", L"C:\\Users\\me\\Desktop"},
        {L"Programs", L"C:\\Users\\me\\Start Menu\\Programs"}};

    std::wstring setupIni;                  // content of D:\Install\Setup.ini (CR line ends)
    std::vector<std::wstring> journal;
    // Called after each journal entry (to change the world mid-procedure).
    std::function<void(const std::wstring& entry)> onEvent;
    void Record(const std::wstring& entry);

    // platform::Dialogs
    int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) override;
    std::wstring InputBox(const std::wstring& prompt) override;
    // platform::FileSystem
    std::wstring ProgramFolder() override { return L"D:\\Install"; }
    std::unique_ptr<platform::TextReader> OpenText(const std::wstring& path) override;
    std::wstring Dir(const std::wstring& name, int attributes) override;
    void MkDir(const std::wstring& path) override;
    // platform::Processes
    void Shell(const std::wstring& commandLine, int windowStyle) override;
    void End(int exitCode) override;
    // platform::Shell
    std::unique_ptr<platform::WshShell> CreateShell() override;
    // platform::Libraries
    std::unique_ptr<platform::Library> LoadFromProgramFolder(const std::wstring& fileName) override;
    // platform::AnsiText
    std::string ToAnsi(std::wstring_view text) override;
    std::wstring FromAnsi(std::string_view bytes) override;
};

}  // namespace fake
