#include "packer/check/package_services.h"

#include <algorithm>

#include "common/failure.h"
#include "platform/line_reader.h"

namespace packer {

namespace {

using common::FailureNumber;

class CountingReader final : public platform::TextReader {
public:
    CountingReader(std::unique_ptr<platform::TextReader> inner, int& count)
        : inner_(std::move(inner)), count_(count) {}
    bool AtEnd() override { return inner_->AtEnd(); }
    std::wstring ReadLine() override {
        std::wstring line = inner_->ReadLine();
        ++count_;
        return line;
    }

private:
    std::unique_ptr<platform::TextReader> inner_;
    int& count_;
};

class MemorySource final : public platform::ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
    size_t Read(char* buffer, size_t size) override {
        const size_t n = std::min(size, rest_.size());
        std::copy_n(rest_.data(), n, buffer);
        rest_.remove_prefix(n);
        return n;
    }

private:
    std::string_view rest_;
};

class PackageFiles final : public platform::FileSystem {
public:
    PackageFiles(platform::FileSystem& real, std::wstring folder, std::optional<std::string> setupFile,
                 platform::AnsiText* setupFileText)
        : real_(real), folder_(std::move(folder)), setupFile_(std::move(setupFile)),
          setupFileText_(setupFileText) {}
    std::wstring ProgramFolder() override { return folder_; }
    // The installer opens no other text file than Setup.ini.
    std::unique_ptr<platform::TextReader> OpenText(const std::wstring& path) override {
        if (!setupFile_) return std::make_unique<CountingReader>(real_.OpenText(path), linesRead);
        return std::make_unique<CountingReader>(
            std::make_unique<platform::LineReader>(std::make_unique<MemorySource>(*setupFile_),
                                                   setupFileText_),
            linesRead);
    }
    std::wstring Dir(const std::wstring& name, int attributes) override {
        return real_.Dir(name, attributes);
    }
    void MkDir(const std::wstring& path) override {
        common::Raise(FailureNumber::PermissionDenied, L"the check creates nothing: " + path);
    }
    std::wstring FullPath(const std::wstring& path) override { return real_.FullPath(path); }

    int linesRead = 0;

private:
    platform::FileSystem& real_;
    std::wstring folder_;
    std::optional<std::string> setupFile_;
    platform::AnsiText* setupFileText_;
};

class UnattendedDialogs final : public platform::Dialogs {
public:
    int MsgBox(const std::wstring& prompt, int, const std::wstring&) override {
        prompts.push_back(prompt);
        return platform::kAnswerNo;
    }
    std::wstring InputBox(const std::wstring& prompt) override {
        prompts.push_back(prompt);
        return {};  // no password: the entry is skipped
    }
    std::vector<std::wstring> prompts;
};

class NoProcesses final : public platform::Processes {
public:
    void Shell(const std::wstring& commandLine, int) override {
        common::Raise(FailureNumber::PermissionDenied, L"the check starts nothing: " + commandLine);
    }
    void End(int) override {
        throw common::Failure(FailureNumber::InvalidCall, L"the installer's code ended the program");
    }
};

}  // namespace

struct PackageServices::Stand {
    Stand(platform::FileSystem& real, std::wstring folder, std::optional<std::string> setupFile,
          platform::AnsiText* setupFileText)
        : files(real, std::move(folder), std::move(setupFile), setupFileText) {}
    PackageFiles files;
    UnattendedDialogs dialogs;
    NoProcesses processes;
};

PackageServices::PackageServices(Host& host, std::wstring packageFolder,
                                 std::optional<std::string> setupFile,
                                 platform::AnsiText* setupFileText)
    : stand_(std::make_unique<Stand>(*host.files, std::move(packageFolder), std::move(setupFile),
                                     setupFileText)),
      previous_(platform::Current()) {
    platform::Bind(platform::Services{&stand_->dialogs, &stand_->files, &stand_->processes, nullptr,
                                      host.libraries, host.ansi});
}

PackageServices::~PackageServices() { platform::Bind(previous_); }

int PackageServices::LinesRead() const { return stand_->files.linesRead; }

const std::vector<std::wstring>& PackageServices::Prompts() const { return stand_->dialogs.prompts; }

}  // namespace packer
