// The route the installed program takes, against a scripted shell: the
// desktop's shell whenever one is there, directly only when none is; a
// missing program or a shell that refuses never ends in a direct start.
#include <gtest/gtest.h>

#include "expect_failure.h"
#include "platform/start_route.h"

namespace {

using Kind = platform::ProgramStarters::Kind;
enum Shell { kThere, kAbsent, kRefuses };

struct ScriptedStarters final : platform::ProgramStarters {
    Kind kind;
    Shell shell;
    std::wstring calls;
    ScriptedStarters(Kind k, Shell s) : kind(k), shell(s) {}
    Kind KindOf(const std::wstring&) override { return kind; }
    bool ThroughDesktopShell(const std::wstring& program, int style) override {
        calls += L"shell " + program + L" " + std::to_wstring(style) + L";";
        if (shell == kRefuses) common::Raise(common::FailureNumber::InvalidCall);
        return shell == kThere;
    }
    void Directly(const std::wstring& program, int style) override {
        calls += L"directly " + program + L" " + std::to_wstring(style) + L";";
    }
};

TEST(StartRoute, TheShellWhenThereDirectlyOnlyWhenNot) {
    const struct {
        Kind kind;
        Shell shell;
        int failure;  // 0: none
        const wchar_t* calls;
    } cases[] = {
        {Kind::File, kThere, 0, L"shell C:\\A B\\w.exe 1;"},
        {Kind::File, kAbsent, 0, L"shell C:\\A B\\w.exe 1;directly C:\\A B\\w.exe 1;"},
        {Kind::File, kRefuses, 5, L"shell C:\\A B\\w.exe 1;"},
        {Kind::Missing, kThere, 53, L""},
        {Kind::Folder, kAbsent, 70, L""},
    };
    for (const auto& c : cases) {
        ScriptedStarters starters(c.kind, c.shell);
        const auto start = [&] { platform::StartAsPerson(L"C:\\A B\\w.exe", 1, starters); };
        if (c.failure != 0) testsupport::ExpectFailure(c.failure, start);
        else start();
        EXPECT_EQ(starters.calls, c.calls);
    }
}

}  // namespace
