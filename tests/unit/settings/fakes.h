// Scripted stand-ins for the file system, the text conversion and the setup
// window, for the tests of the settings reader.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/failure.h"
#include "installer/setup_window_controls.h"
#include "platform/line_reader.h"
#include "platform/platform.h"

namespace settings_test {

// Bytes handed out at most `chunk` at a time, so that line ends can fall on
// the edge of a read.
class StringSource final : public platform::ByteSource {
public:
    StringSource(std::string bytes, size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}
    size_t Read(char* buffer, size_t size) override {
        size_t n = std::min({size, chunk_, bytes_.size() - pos_});
        bytes_.copy(buffer, n, pos_);
        pos_ += n;
        return n;
    }

private:
    std::string bytes_;
    size_t chunk_;
    size_t pos_ = 0;
};

// One byte per character, as a Latin-1 code page would convert.
class Latin1Text final : public platform::AnsiText {
public:
    std::string ToAnsi(std::wstring_view text) override {
        std::string out;
        for (wchar_t c : text) out.push_back(c < 256 ? static_cast<char>(c) : '?');
        return out;
    }
    std::wstring FromAnsi(std::string_view bytes) override {
        std::wstring out;
        for (char c : bytes) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return out;
    }
};

class FakeFileSystem final : public platform::FileSystem {
public:
    std::wstring programFolder = L"D:\\Install";
    std::map<std::wstring, std::string> files;          // path -> bytes
    std::map<std::wstring, common::FailureNumber> refusals;  // path -> failure on opening
    std::vector<std::wstring> opened;
    Latin1Text* converter = nullptr;

    std::wstring ProgramFolder() override { return programFolder; }
    std::unique_ptr<platform::TextReader> OpenText(const std::wstring& path) override {
        opened.push_back(path);
        if (auto refusal = refusals.find(path); refusal != refusals.end()) {
            common::Raise(refusal->second, path);
        }
        auto file = files.find(path);
        if (file == files.end()) common::Raise(common::FailureNumber::FileNotFound, path);
        return std::make_unique<platform::LineReader>(
            std::make_unique<StringSource>(file->second, 3), converter);
    }
    std::wstring Dir(const std::wstring&, int) override { return {}; }
    void MkDir(const std::wstring&) override {}
};

// The window's visible texts, starting as designed.
class FakeControls final : public installer::SetupWindowControls {
public:
    std::wstring caption = L"Setup";
    std::wstring message = L"Press the Install button to start the installation of this program";
    std::wstring target;
    int unloads = 0;

    void SetCaption(const std::wstring& text) override { caption = text; }
    void SetMessage(const std::wstring& text) override { message = text; }
    void SetTargetText(const std::wstring& text) override { target = text; }
    std::wstring TargetText() override { return target; }
    void Unload() override { ++unloads; }
};

// Ending the program in a test: thrown by End, never a failure.
struct ProgramEnded {
    int exitCode;
};

class FakeProcesses final : public platform::Processes {
public:
    void Shell(const std::wstring& commandLine, int) override { started.push_back(commandLine); }
    void End(int exitCode) override { throw ProgramEnded{exitCode}; }
    std::vector<std::wstring> started;
};

struct Box {
    std::wstring prompt;
    int style;
    std::wstring title;
    bool operator==(const Box&) const = default;
};

class FakeDialogs final : public platform::Dialogs {
public:
    int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) override {
        boxes.push_back({prompt, style, title});
        return platform::kAnswerOk;
    }
    std::wstring InputBox(const std::wstring&) override { return {}; }
    std::vector<Box> boxes;
};

// Everything bound as the current services for one test.
struct FakeWorld {
    Latin1Text ansi;
    FakeFileSystem files;
    FakeProcesses processes;
    FakeDialogs dialogs;
    FakeControls controls;

    FakeWorld() {
        files.converter = &ansi;
        platform::Services services;
        services.dialogs = &dialogs;
        services.files = &files;
        services.processes = &processes;
        services.ansi = &ansi;
        platform::Bind(services);
    }
    ~FakeWorld() { platform::Bind({}); }
    FakeWorld(const FakeWorld&) = delete;
    FakeWorld& operator=(const FakeWorld&) = delete;

    // Setup.ini beside the program.
    void setupFile(std::string bytes) { files.files[files.programFolder + L"\\Setup.ini"] = bytes; }
};

}  // namespace settings_test
