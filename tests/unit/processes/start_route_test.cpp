// The route the installed program is started by, against a scripted shell:
// the desktop's shell whenever one is there, directly only when none is, and
// a missing program or a refusing shell never ends in a direct start.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expect_failure.h"
#include "platform/start_route.h"

namespace {

using Kind = platform::ProgramStarters::Kind;

enum class Shell { There, Absent, Refuses };

class ScriptedStarters final : public platform::ProgramStarters {
public:
    ScriptedStarters(Kind kind, Shell shell) : kind_(kind), shell_(shell) {}
    Kind KindOf(const std::wstring&) override { return kind_; }
    bool ThroughDesktopShell(const std::wstring& program, int style) override {
        calls.push_back(L"shell " + program + L" " + std::to_wstring(style));
        if (shell_ == Shell::Refuses) throw common::Failure(common::FailureNumber::InvalidCall, L"declined");
        return shell_ == Shell::There;
    }
    void Directly(const std::wstring& program, int style) override {
        calls.push_back(L"directly " + program + L" " + std::to_wstring(style));
    }
    std::vector<std::wstring> calls;

private:
    Kind kind_;
    Shell shell_;
};

TEST(StartRoute, ShellWhenThereDirectlyOnlyWhenNot) {
    const std::wstring program = LR"(C:\Program Files\Sample Writer\writer.exe)";
    struct Case {
        const char* label;
        Kind kind;
        Shell shell;
        int failure;  // 0: none
        std::vector<std::wstring> calls;
    };
    const Case cases[] = {
        {"shell desktop there", Kind::File, Shell::There, 0, {L"shell " + program + L" 1"}},
        {"no shell desktop", Kind::File, Shell::Absent, 0, {L"shell " + program + L" 1", L"directly " + program + L" 1"}},
        {"the shell refuses", Kind::File, Shell::Refuses, 5, {L"shell " + program + L" 1"}},
        {"program missing", Kind::Missing, Shell::There, 53, {}},
        {"a folder of its name", Kind::Folder, Shell::Absent, 70, {}},
    };
    for (const Case& c : cases) {
        ScriptedStarters starters(c.kind, c.shell);
        const auto start = [&] { platform::StartAsPerson(program, 1, starters); };
        if (c.failure != 0) {
            testsupport::ExpectFailure(c.failure, start);
        } else {
            start();
        }
        EXPECT_EQ(starters.calls, c.calls) << c.label;
    }
}

}  // namespace
