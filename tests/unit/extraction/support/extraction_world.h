// The world the extraction tests run in: scripted dialogs, the system's own
// library loading and text conversion, and a fresh folder per test.
#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace extraction_test {

struct ShownBox {
    std::wstring prompt;
    int style;
    std::wstring title;
    bool operator==(const ShownBox&) const = default;
};

// Answers boxes from a script. A box without a scripted answer (or scripted
// as nullopt) cannot appear: it raises a failure.
class ScriptedDialogs final : public platform::Dialogs {
public:
    std::deque<std::optional<int>> msgBoxAnswers;
    std::deque<std::optional<std::wstring>> inputBoxAnswers;
    std::vector<ShownBox> msgBoxes;
    std::vector<std::wstring> inputBoxes;

    int MsgBox(const std::wstring& prompt, int style, const std::wstring& title) override;
    std::wstring InputBox(const std::wstring& prompt) override;
};

// The running system's implementations (POSIX natively, Win32 under Wine).
platform::Libraries& SystemLibraries();
platform::AnsiText& SystemAnsi();
// The ANSI bytes of `text` in the system's code page.
std::string Ansi(const std::wstring& text);

// Switches the process to a UTF-8 locale for as long as it lives, where the
// system has one: the narrow encoding then is a multi-byte one.
class Utf8Locale {
public:
    Utf8Locale();
    ~Utf8Locale();
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;
    bool Active() const { return active_; }

private:
    std::string previous_;
    bool active_ = false;
};

// Binds the services for one test and restores the previous ones after it;
// starts with an empty message state.
class ExtractionWorld {
public:
    ExtractionWorld();
    ~ExtractionWorld();
    ExtractionWorld(const ExtractionWorld&) = delete;
    ExtractionWorld& operator=(const ExtractionWorld&) = delete;

    ScriptedDialogs dialogs;
    const std::filesystem::path folder;  // removed with everything in it

    std::filesystem::path Write(const std::string& name, const std::string& bytes) const;
    static std::string Read(const std::filesystem::path& path);

private:
    platform::Services previous_;
};

}  // namespace extraction_test
