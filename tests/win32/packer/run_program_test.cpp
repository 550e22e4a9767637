// The sign command under Windows: the command line made of its words is read
// back word for word by the system's own parser, and the program is found in
// PATH only, its output collected and its exit code seen.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "packer/sign/command_words.h"
#include "packer/sign/run_program.h"
#include "scratch.h"

namespace {

TEST(WindowsCommandLine, TheSystemsParserGetsEveryWordBack) {
    const std::vector<std::wstring> words{LR"(C:\Program Files\Kits\signtool.exe)",
                                          L"sign",
                                          L"",
                                          L"say \"hi\"",
                                          LR"(C:\with blanks\)",
                                          LR"(a\\"b)",
                                          L"tab\there",
                                          LR"(C:\a&b^c%PATH%\x.exe)",
                                          LR"(ends\\)"};
    int count = 0;
    LPWSTR* parsed = CommandLineToArgvW(packer::WindowsCommandLine(words).c_str(), &count);
    ASSERT_NE(parsed, nullptr);
    const std::vector<std::wstring> back(parsed, parsed + count);
    LocalFree(parsed);
    EXPECT_EQ(back, words);
}

TEST(RunProgram, FoundInPathOnlyItsOutputCollectedItsExitCodeSeen) {
    testsupport::Scratch folder;
    const std::wstring batch = (folder / "sign.bat").wstring();
    testsupport::WriteFile(batch, "@echo signed\r\n");
    struct Case {
        std::vector<std::wstring> words;
        bool succeeded;
        const char* ending;  // part of it
        const char* output;  // part of it
    };
    const Case kCases[] = {
        {{L"cmd", L"/c", L"echo", L"signed"}, true, "ended with exit code 0", "signed"},
        {{L"cmd.exe", L"/c", L"exit", L"3"}, false, "ended with exit code 3", ""},
        {{L"no-such-signing-tool", L"x"}, false, "not found in the folders of PATH", ""},
        {{LR"(C:\nowhere\sign.exe)"}, false, "no such program file", ""},
        {{batch}, false, "a batch file runs through cmd.exe", ""},
    };
    for (const Case& c : kCases) {
        const packer::ProgramOutcome outcome = packer::RunProgram(c.words);
        EXPECT_EQ(outcome.succeeded, c.succeeded) << c.ending;
        EXPECT_NE(outcome.ending.find(c.ending), std::string::npos) << outcome.ending;
        EXPECT_NE(outcome.output.find(c.output), std::string::npos) << outcome.output;
    }
}

}  // namespace
