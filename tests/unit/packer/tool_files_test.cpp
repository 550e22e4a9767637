// Where setup-pack looks for its Windows programs and its library, and what
// build --json and bundle --json report.
#include <gtest/gtest.h>

#include <sstream>

#include "packer/base/sha256.h"
#include "packer/base/tool_files.h"
#include "packer/package/build_package.h"
#include "packer_fixture.h"
#include "program_image.h"

namespace {

namespace fs = std::filesystem;
using packer_test::TempFolder;
using packer_test::WriteFile;

TEST(ToolFiles, PlacesInOrder) {
    using Places = std::vector<fs::path>;
    EXPECT_EQ(packer::WindowsProgramPlaces("/opt/sp/bin", "setup.exe"),
              (Places{"/opt/sp/bin/setup.exe", "/opt/sp/share/setup-pack/win32/setup.exe"}));
    EXPECT_EQ(packer::WindowsProgramPlaces("/src/dist/native", "setup.exe"),
              (Places{"/src/dist/native/setup.exe", "/src/dist/share/setup-pack/win32/setup.exe",
                      "/src/dist/win32/setup.exe"}));
    EXPECT_EQ(packer::LibraryPlaces("/usr/bin", "libunzip32.so"),
              (Places{"/usr/bin/libunzip32.so", "/usr/lib/setup-pack/libunzip32.so"}));
}

TEST(ToolFiles, FirstPlaceHoldingAFileWins) {
    TempFolder folder;
    const fs::path first = folder.path() / "a" / "setup.exe", second = folder.path() / "b" / "setup.exe";
    fs::create_directories(first);  // a folder of that name holds no file
    WriteFile(second, "x");
    const std::vector<fs::path> places{first, second, folder.path() / "c" / "setup.exe"};
    EXPECT_EQ(packer::FindToolFile(std::nullopt, places).path, second);
    EXPECT_EQ(packer::FindToolFile(fs::path("given.exe"), places).path, "given.exe");
    EXPECT_TRUE(packer::FindToolFile(fs::path("given.exe"), places).looked.empty());
    fs::remove(second);
    EXPECT_EQ(packer::FindToolFile(std::nullopt, places).path, fs::path());
    EXPECT_EQ(packer::LookedFor({"/a", "/b", "/c"}), "looked for \"/a\", \"/b\" and \"/c\"");
}

TEST(Sha256, KnownDigests) {
    struct Case {
        std::string message;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // 56 bytes: the length no longer fits the first block.
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        packer::Sha256 whole, pieces;
        whole.Update(c.message.data(), c.message.size());
        for (size_t at = 0; at < c.message.size(); at += 63) {
            pieces.Update(c.message.data() + at, std::min<size_t>(63, c.message.size() - at));
        }
        EXPECT_EQ(whole.HexDigest(), c.digest) << c.message.size();
        EXPECT_EQ(pieces.HexDigest(), c.digest) << c.message.size();
    }
}

// With --json standard output holds the one object, refusals included, and
// the lines for a person go to the error output.
TEST(BuildJson, RefusalsInTheObjectMessagesOnTheErrorOutput) {
    TempFolder folder;
    WriteFile(folder.path() / "app" / "writer.exe", "MZ");
    WriteFile(folder.path() / "setup.exe", uztest::ProgramImage());
    WriteFile(folder.path() / "unzip32.dll", uztest::LibraryImage());
    packer::BuildOptions o;
    o.appDir = folder.path() / "app";
    o.outDir = folder.path() / "out";
    o.target = L"Writer";
    o.setupExe = folder.path() / "setup.exe";
    o.unzipDll = folder.path() / "unzip32.dll";
    o.json = true;
    std::ostringstream out, err;
    EXPECT_EQ(packer::RunBuild(o, packer::SystemHost(), out, err), 2);
    EXPECT_EQ(out.str(),
              "{\"findings\": [\n  {\"file\": \"setup-pack\", \"line\": 0, \"severity\": \"error\", \"code\": "
              "\"option-required\", \"message\": \"--exe is required: the program setup.exe starts, as a path "
              "inside APPDIR\"}\n], \"errors\": 1, \"warnings\": 0, \"written\": []}\n");
    EXPECT_EQ(err.str(), "setup-pack: nothing written\n");
}

}  // namespace
