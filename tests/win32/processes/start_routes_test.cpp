// Both routes of starting a program, on real processes under Wine (which
// takes the desktop shell's route: its explorer.exe serves the desktop's
// view). The program is named exactly, so a planted Program.exe never runs;
// it gets the folder it is meant to have; and the shell's process, not this
// one, starts it when the shell is asked.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/win32/start_routes.h"
#include "scratch.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::Scratch;

fs::path OwnFile() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return self;
}

// The marker's record, once it is there (the shell starts the program after
// the call returns); empty after 30 seconds.
std::string MarkerRecord(const fs::path& program) {
    const fs::path record = program.wstring() + L".ran";
    for (int i = 0; i < 300 && !fs::exists(record); ++i) Sleep(100);
    Sleep(100);  // written in one call, but give it its close
    return fs::exists(record) ? ReadFile(record) : std::string();
}

TEST(StartRoutes, TheProgramNamedExactlyInItsFolderByTheRightProcess) {
    struct Route {
        const char* label;
        bool throughShell;
    };
    for (const Route route : {Route{"through the desktop shell", true}, Route{"directly", false}}) {
        Scratch s("routes");
        const fs::path program = s / "Program Files x" / "writer.exe", planted = s / "Program.exe";
        fs::create_directories(program.parent_path());
        fs::copy_file(OwnFile().parent_path() / "marker.exe", program);
        fs::copy_file(OwnFile().parent_path() / "marker.exe", planted);
        const fs::path folder = program.parent_path();
        ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
        if (route.throughShell) {
            ASSERT_TRUE(platform::win32::StartThroughDesktopShell(program.wstring(), folder.wstring(), SW_SHOWNORMAL))
                << "no shell desktop";
        } else {
            platform::win32::StartDirectly(program.wstring(), SW_SHOWNORMAL);
        }
        const std::string record = MarkerRecord(program);
        SetCurrentDirectoryW(OwnFile().parent_path().c_str());
        const std::string parent = route.throughShell ? "explorer.exe" : OwnFile().filename().string();
        EXPECT_NE(record.find("command=\"" + program.string() + "\"\r\n"), std::string::npos) << route.label << record;
        EXPECT_NE(record.find("folder=" + folder.string() + "\r\n"), std::string::npos) << route.label << record;
        EXPECT_NE(record.find("parent=" + parent + "\r\n"), std::string::npos) << route.label << record;
        EXPECT_FALSE(fs::exists(planted.wstring() + L".ran")) << route.label;
    }
}

}  // namespace
