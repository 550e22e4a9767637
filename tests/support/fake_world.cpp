#include "fake_world.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "unzip32/unzip32.h"

namespace fake {

namespace {

World* g_world = nullptr;  // the world the stand-in library works in

std::wstring Wide(const char* text) {
    std::string bytes = text != nullptr ? text : "";
    return std::wstring(bytes.begin(), bytes.end());
}

int32_t UZ_CALL FakeUzpVersion2(UnzipVersionRecord* version) {
    return version != nullptr && version->length == UZ_VERSION_RECORD_SIZE ? 0 : UZ_BAD_OPTIONS;
}

int32_t UZ_CALL FakeWizSingleEntryUnzip(int32_t, char**, int32_t, char**,
                                        UnzipOptionsRecord* options,
                                        UnzipCallbackRecord* callbacks) {
    World& world = *g_world;
    std::wstring dir = Wide(options->ExtractDir);
    world.Record(L"Unzip " + Wide(options->ZipFileName) + L" -> " + dir);
    if (!world.unzip.printed.empty() && callbacks->print != nullptr) {
        callbacks->print(world.unzip.printed.c_str(),
                         static_cast<int32_t>(world.unzip.printed.size()));
    }
    for (const std::wstring& name : world.unzip.extracts) world.AddFile(dir + L"\\" + name);
    return world.unzip.result;
}

class FakeLibrary final : public platform::Library {
public:
    void* Symbol(const char* name) override {
        std::string symbol = name;
        if (symbol == "UzpVersion2") return reinterpret_cast<void*>(&FakeUzpVersion2);
        if (symbol == "Wiz_SingleEntryUnzip") return reinterpret_cast<void*>(&FakeWizSingleEntryUnzip);
        common::Raise(common::FailureNumber::DllEntryPoint, Wide(name));
    }
};

class FakeShortcut final : public platform::WshShortcut {
public:
    FakeShortcut(World& world, std::wstring path) : world_(world), path_(std::move(path)) {}
    void SetTargetPath(const std::wstring& path) override { target_ = path; }
    void SetArguments(const std::wstring& arguments) override { arguments_ = arguments; }
    void SetWorkingDirectory(const std::wstring& folder) override { folder_ = folder; }
    void Save() override {
        if (world_.shortcutSaveFails) {
            throw common::Failure(-2147024891, L"Save: Access is denied");
        }
        world_.Record(L"Shortcut " + path_ + L" -> " + target_ + L" [" + arguments_ + L"] in " +
                      folder_);
    }

private:
    World& world_;
    std::wstring path_, target_, arguments_, folder_;
};

class FakeShell final : public platform::WshShell {
public:
    explicit FakeShell(World& world) : world_(world) {}
    std::wstring SpecialFolder(const std::wstring& name) override {
        return world_.specialFolders.at(name);
    }
    std::unique_ptr<platform::WshShortcut> CreateShortcut(const std::wstring& path) override {
        return std::make_unique<FakeShortcut>(world_, path);
    }

private:
    World& world_;
};

// The next scripted answer; nullopt when the box cannot appear.
template <typename Answer>
std::optional<Answer> Next(std::deque<std::optional<Answer>>& script) {
    if (script.empty()) {
        ADD_FAILURE() << "a box without a scripted answer";
        return std::nullopt;
    }
    std::optional<Answer> answer = script.front();
    script.pop_front();
    return answer;
}

}  // namespace

size_t StringSource::Read(char* buffer, size_t size) {
    size_t n = std::min({size, chunk_, bytes_.size() - pos_});
    bytes_.copy(buffer, n, pos_);
    pos_ += n;
    return n;
}

std::string Latin1Text::ToAnsi(std::wstring_view text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return out;
}

std::wstring Latin1Text::FromAnsi(std::string_view bytes) {
    std::wstring out;
    for (char c : bytes) out.push_back(static_cast<unsigned char>(c));
    return out;
}

void Controls::Unload() { world_.Record(L"Unload"); }

World::World() : previous_(platform::Current()) {
    g_world = this;
    platform::Bind(platform::Services{this, this, this, this, this, this});
}

World::~World() {
    platform::Bind(previous_);
    g_world = nullptr;
}

void World::Record(const std::wstring& entry) {
    journal.push_back(entry);
    if (onEvent) onEvent(entry);
}

int World::MsgBox(const std::wstring& prompt, int style, const std::wstring& title) {
    boxes.push_back({prompt, style, title});
    Record(L"Box " + std::to_wstring(style) + L" [" + title + L"] " + prompt);
    if ((style & 7) == platform::kOkOnly) return platform::kAnswerOk;
    const std::optional<int> answer = Next(answers);
    if (!answer) common::Raise(common::FailureNumber::InvalidCall, L"the box cannot appear");
    return *answer;
}

std::wstring World::InputBox(const std::wstring& prompt) {
    inputPrompts.push_back(prompt);
    Record(L"InputBox " + prompt);
    const std::optional<std::wstring> answer = Next(inputAnswers);
    if (!answer) common::Raise(common::FailureNumber::InvalidCall, L"the box cannot appear");
    return *answer;
}

std::unique_ptr<platform::TextReader> World::OpenText(const std::wstring& path) {
    opened.push_back(path);
    if (auto refusal = refusals.find(path); refusal != refusals.end()) {
        common::Raise(refusal->second, path);
    }
    auto file = files.find(path);
    if (file == files.end()) common::Raise(common::FailureNumber::FileNotFound, path);
    // Read through the real line splitting, three bytes at a time; converted
    // apart from the world's own ANSI text, which a test may make fail.
    static Latin1Text latin1;
    return std::make_unique<platform::LineReader>(std::make_unique<StringSource>(file->second, 3),
                                                  &latin1);
}

std::wstring World::Dir(const std::wstring& name, int attributes) {
    if (failingNames.count(name) != 0) common::Raise(common::FailureNumber::BadFileName, name);
    bool found = files.count(name) != 0 ||
                 ((attributes & platform::kAttrDirectory) != 0 && folders.count(name) != 0);
    if (!found) return {};
    size_t slash = name.find_last_of(L'\\');
    return slash == std::wstring::npos ? name : name.substr(slash + 1);
}

void World::MkDir(const std::wstring& path) {
    Record(L"MkDir " + path);
    size_t slash = path.find_last_of(L'\\');
    std::wstring parent = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    if (mkdirFails || (parent.size() > 2 && folders.count(parent) == 0)) {
        common::Raise(common::FailureNumber::PathNotFound, path);
    }
    folders.insert(path);
}

// Full names as the system completes them, without "." and ".." folding.
std::wstring World::FullPath(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return path;
    if (!path.empty() && path[0] == L'\\') return currentFolder.substr(0, 2) + path;
    return path.empty() ? currentFolder : currentFolder + L"\\" + path;
}

void World::Shell(const std::wstring& commandLine, int windowStyle) {
    Record(L"Start " + commandLine + L" (" + std::to_wstring(windowStyle) + L")");
    if (files.count(commandLine) == 0) common::Raise(common::FailureNumber::FileNotFound, commandLine);
}

void World::End(int exitCode) {
    Record(L"End " + std::to_wstring(exitCode));
    throw ProgramEnded{exitCode};
}

std::unique_ptr<platform::WshShell> World::CreateShell() {
    if (shellUnavailable) common::Raise(common::FailureNumber::CannotCreateObject);
    return std::make_unique<FakeShell>(*this);
}

std::unique_ptr<platform::Library> World::LoadFromProgramFolder(const std::wstring&) {
    return std::make_unique<FakeLibrary>();
}

std::string World::ToAnsi(std::wstring_view text) {
    if (ansiFails) common::Raise(common::FailureNumber::OutOfMemory);
    return Latin1Text::ToAnsi(text);
}

}  // namespace fake
