#include "extraction_world.h"

#include <atomic>
#include <clocale>
#include <fstream>
#include <random>
#include <sstream>

#include "common/failure.h"
#include "unzip/code_module.h"

namespace extraction_test {

namespace fs = std::filesystem;

namespace {

fs::path FreshFolder() {
    static std::atomic<int> counter{0};
    fs::path base = fs::temp_directory_path() / "extraction-test";
    fs::create_directories(base);
    for (;;) {
        fs::path folder = base / (std::to_string(std::random_device{}()) + "-" +
                                  std::to_string(counter++));
        if (fs::create_directory(folder)) return folder;
    }
}

}  // namespace

int ScriptedDialogs::MsgBox(const std::wstring& prompt, int style, const std::wstring& title) {
    msgBoxes.push_back({prompt, style, title});
    std::optional<int> answer;
    if (!msgBoxAnswers.empty()) {
        answer = msgBoxAnswers.front();
        msgBoxAnswers.pop_front();
    }
    if (!answer) common::Raise(common::FailureNumber::InvalidCall, L"the box cannot appear");
    return *answer;
}

std::wstring ScriptedDialogs::InputBox(const std::wstring& prompt) {
    inputBoxes.push_back(prompt);
    std::optional<std::wstring> answer;
    if (!inputBoxAnswers.empty()) {
        answer = inputBoxAnswers.front();
        inputBoxAnswers.pop_front();
    }
    if (!answer) common::Raise(common::FailureNumber::InvalidCall, L"the box cannot appear");
    return *answer;
}

std::string Ansi(const std::wstring& text) { return SystemAnsi().ToAnsi(text); }

Utf8Locale::Utf8Locale() {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    previous_ = previous ? previous : "C";
    active_ = std::setlocale(LC_ALL, "C.UTF-8") != nullptr &&
              SystemAnsi().FromAnsi("\xc3\xa9") == L"\u00e9";
}

Utf8Locale::~Utf8Locale() { std::setlocale(LC_ALL, previous_.c_str()); }

ExtractionWorld::ExtractionWorld() : folder(FreshFolder()), previous_(platform::Current()) {
    platform::Services services = previous_;
    services.dialogs = &dialogs;
    services.libraries = &SystemLibraries();
    services.ansi = &SystemAnsi();
    platform::Bind(services);
    unzip::State() = unzip::MessageState{};
}

ExtractionWorld::~ExtractionWorld() {
    platform::Bind(previous_);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

fs::path ExtractionWorld::Write(const std::string& name, const std::string& bytes) const {
    fs::path path = folder / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ExtractionWorld::Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace extraction_test
