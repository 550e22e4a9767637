// What setup-pack writes: never through a link planted at a name it uses,
// never cut or damaged at a final name (a full disk, a second build at the
// same time, a stopped one, a file that cannot be put in place), and nothing
// of a failed run left behind.
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "packer/base/host.h"
#include "packer/cli/command_line.h"
#include "packer/files/folder_lock.h"
#include "packer_fixture.h"
#include "program_image.h"
#include "zip_builder.h"

namespace {

namespace fs = std::filesystem;
using packer_test::Capture;
using packer_test::ReadFile;
using packer_test::TempFolder;
using packer_test::WriteFile;
using Snapshot = std::map<std::string, std::string>;

// Every entry below `root`: files with their bytes, links as "-> target".
Snapshot Take(const fs::path& root) {
    Snapshot taken;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        const std::string name = fs::relative(it->path(), root).string();
        if (it->is_symlink()) {
            taken[name] = "-> " + fs::read_symlink(it->path()).string();
        } else {
            taken[name] = it->is_directory() ? "/" : ReadFile(it->path());
        }
    }
    return taken;
}

class Output : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(app / "writer.exe", "the program");
        WriteFile(app / "data.bin", uztest::MixedData(150000));
        // Large enough for a full disk to strike while they are copied.
        WriteFile(tools / "setup.exe", uztest::ProgramImage() + uztest::MixedData(100000));
        WriteFile(tools / "unzip32.dll", uztest::LibraryImage() + uztest::MixedData(90000));
        WriteFile(tools / "setup-launcher.exe", uztest::ProgramImage());
    }

    int Run(const std::vector<fs::path>& args) {
        printed.str("");
        errors.str("");
        return packer::RunCommandLine(args, packer::SystemHost(), printed, errors);
    }
    std::vector<fs::path> BuildArguments(const fs::path& out) const {
        return {"build", app, out, "--target", "W", "--exe", "writer.exe", "--setup-exe", tools / "setup.exe",
                "--unzip-dll", tools / "unzip32.dll"};
    }
    int Build(const fs::path& out, const std::vector<fs::path>& more = {}) {
        std::vector<fs::path> args = BuildArguments(out);
        args.insert(args.end(), more.begin(), more.end());
        return Run(args);
    }
    int SingleFile(const fs::path& out, const fs::path& file) {
        return Build(out, {"--single-file", file, "--launcher", tools / "setup-launcher.exe"});
    }
    int Bundle(const fs::path& package, const fs::path& file) {
        return Run({"bundle", package, file, "--launcher", tools / "setup-launcher.exe"});
    }

    TempFolder folder;
    fs::path app = folder / "app";
    fs::path tools = folder / "tools";
    std::ostringstream printed, errors;
};

TEST_F(Output, NothingIsWrittenThroughALinkPlantedAtANameItUses) {
    ASSERT_EQ(Build(folder / "package"), 0) << errors.str();
    const fs::path victim = folder / "victim.txt";  // any file the packager may write
    const fs::path at = folder / "at";
    struct Case {
        const char* what;
        std::vector<fs::path> links;
        std::function<int()> run;
        int code;
        std::vector<fs::path> written;  // regular files afterwards
    };
    const std::vector<fs::path> singleFileNames{at / "W.exe", at / "W.part.exe", at / "W.exe.payload"};
    const std::vector<fs::path> packageNames{at / "Setup.zip", at / "Setup.ini", at / "setup.exe", at / "unzip32.dll"};
    const Case kCases[] = {
        {"bundle", singleFileNames, [&] { return Bundle(folder / "package", at / "W.exe"); }, 0, {at / "W.exe"}},
        {"build --single-file", singleFileNames, [&] { return SingleFile(folder / "package", at / "W.exe"); }, 0,
         {at / "W.exe"}},
        {"build", packageNames, [&] { return Build(at); }, 0, packageNames},
        {"build, a link as its lock file", {at / ".setup-pack.lock"}, [&] { return Build(at); }, 74, {}},
    };
    for (const Case& c : kCases) {
        fs::remove_all(at);
        fs::create_directories(at);
        WriteFile(victim, "precious");
        for (const fs::path& link : c.links) fs::create_symlink(victim, link);
        EXPECT_EQ(c.run(), c.code) << c.what << ": " << errors.str();
        EXPECT_EQ(ReadFile(victim), "precious") << c.what;
        for (const fs::path& file : c.written) {
            EXPECT_EQ(fs::symlink_status(file).type(), fs::file_type::regular) << c.what << ": " << file;
        }
    }
}

// A small file system of its own, mounted for the test: only root may.
class SmallDisk {
public:
    SmallDisk(const fs::path& image, const fs::path& mountPoint) : mountPoint_(mountPoint) {
        fs::create_directories(mountPoint);
        int status = 0;
        Capture("truncate -s 2M '" + image.string() + "' && mkfs.ext4 -q -m 0 -O ^has_journal '" + image.string() +
                    "' && mount -o loop '" + image.string() + "' '" + mountPoint.string() + "' 2>&1",
                status);
        mounted_ = status == 0;
    }
    ~SmallDisk() {
        int status = 0;
        if (mounted_) Capture("umount '" + mountPoint_.string() + "' 2>&1", status);
    }
    bool mounted() const { return mounted_; }
    uint64_t Free() const {
        struct statvfs st {};
        statvfs(mountPoint_.c_str(), &st);
        return uint64_t{st.f_bavail} * st.f_frsize;
    }

private:
    fs::path mountPoint_;
    bool mounted_ = false;
};

// However little room is left, a build either writes the whole new package
// or fails with 74 and leaves the earlier one as it was, and a single file
// is whole or not there.
TEST_F(Output, AFullDiskNeverLeavesACutFileAtAFinalName) {
    if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
    const fs::path disk = folder / "disk";
    SmallDisk small(folder / "disk.img", disk);
    if (!small.mounted()) GTEST_SKIP() << "no loop-mounted file system here (mount -o loop failed)";
    const fs::path package = disk / "package";
    ASSERT_EQ(Build(package), 0) << errors.str();
    ASSERT_EQ(Build(folder / "package"), 0) << errors.str();
    const Snapshot earlier = Take(package);
    WriteFile(app / "more.bin", uztest::MixedData(60000));
    int failed = 0;
    bool built = false;
    for (uint64_t room = 0; !built && room < 800000; room += 40000) {
        const uint64_t free = small.Free();
        if (free > room) {
            // As much as fits: a file's own blocks take room too.
            std::ofstream(disk / "filler", std::ios::binary) << std::string(free - room, 'f');
        }
        const int code = Build(package);
        built = code != 74;
        failed += code == 74 ? 1 : 0;
        if (built) {
            EXPECT_EQ(code, 0) << room << " bytes free: " << errors.str();
            EXPECT_EQ(Take(package).at("unzip32.dll"), ReadFile(tools / "unzip32.dll")) << room;
        } else {
            EXPECT_NE(errors.str().find("No space left on device"), std::string::npos) << errors.str();
            EXPECT_EQ(Take(package), earlier) << room << " bytes free: " << errors.str();
        }
        if (Bundle(folder / "package", disk / "W.exe") == 74) {
            EXPECT_FALSE(fs::exists(disk / "W.exe")) << room;
        } else {
            EXPECT_EQ(Bundle(folder / "package", folder / "W.exe"), 0);
            EXPECT_EQ(ReadFile(disk / "W.exe"), ReadFile(folder / "W.exe")) << room;
            fs::remove(disk / "W.exe");
        }
        fs::remove(disk / "filler");
        EXPECT_EQ(Take(disk).size(), Take(package).size() + 2) << room;  // package/, lost+found/
    }
    EXPECT_GT(failed, 2) << "the disk was never full";
    EXPECT_TRUE(built) << "the disk was always full";
}

TEST_F(Output, ASecondBuildIntoAFolderBeingWrittenIsRefused) {
    const fs::path out = folder / "out";
    fs::create_directories(out);
    {
        const packer::FolderLock held(out);
        EXPECT_EQ(Build(out), 74);
        EXPECT_NE(errors.str().find("is being written by another setup-pack"), std::string::npos) << errors.str();
        EXPECT_EQ(Take(out).size(), 1u);  // the lock file alone
    }
    // What a build stopped by a kill leaves: its lock file and private folder.
    WriteFile(out / ".setup-pack.lock", "");
    WriteFile(out / ".setup-pack-0123456789ABCDEF" / "Setup.zip", "cut");
    EXPECT_EQ(Build(out), 0) << errors.str();
    EXPECT_EQ(Take(out).size(), 4u);
    // Two builds at once: each one writes all of it or nothing.
    std::string twice;
    for (const char* name : {"a", "b"}) {
        std::string command = "'" SETUP_PACK "'";
        for (const fs::path& arg : BuildArguments(out)) command += " '" + arg.string() + "'";
        twice += "(" + command + " > /dev/null 2>&1; echo " + name + "=$?) & ";
    }
    int status = 0;
    const std::string ended = Capture(twice + "wait", status);
    for (const char* name : {"a", "b"}) {
        EXPECT_TRUE(ended.find(name + std::string("=0")) != std::string::npos ||
                    ended.find(name + std::string("=74")) != std::string::npos)
            << ended;
    }
    EXPECT_EQ(Run({"check", out}), 0) << printed.str();
}

// A run that fails leaves the folder as it found it: nothing new, nothing
// earlier lost, no folder it made.
TEST_F(Output, AFailedBuildLeavesTheFolderAsItWas) {
    const fs::path out = folder / "out";
    const fs::path sysfs = "/sys/kernel/mm/transparent_hugepage/enabled";  // 4096 bytes long, fewer read
    int status = 0;
    struct Case {
        const char* what;
        std::function<bool()> prepare;  // false: not possible here
        std::vector<fs::path> more;
        int code;
        const char* error;
        std::function<void()> undo = [] {};
    };
    const Case kCases[] = {
        {"a folder where build writes Setup.ini",
         [&] {
             fs::remove(out / "Setup.ini");
             return fs::create_directories(out / "Setup.ini");
         },
         {"--force"}, 2, "holds a folder \"Setup.ini\""},
        {"a file that shrinks while it is packed",
         [&] {
             std::error_code error;
             fs::create_symlink(sysfs, app / "shrinks.txt");
             return fs::file_size(sysfs, error) > ReadFile(sysfs).size();
         },
         {}, 74, "changed while it was being packed", [&] { fs::remove(app / "shrinks.txt"); }},
        {"a file that cannot be replaced",
         [&] {
             Capture("chattr +i '" + (out / "unzip32.dll").string() + "' 2>&1", status);
             return status == 0;
         },
         {}, 74, "the package folder is left as it was",
         [&] { Capture("chattr -i '" + (out / "unzip32.dll").string() + "' 2>/dev/null", status); }},
    };
    for (const Case& c : kCases) {
        for (const bool earlier : {false, true}) {
            fs::remove_all(out);
            WriteFile(app / "writer.exe", "the program");
            if (earlier) {
                ASSERT_EQ(Build(out), 0) << errors.str();
            }
            WriteFile(app / "writer.exe", "the program, 1.1");
            if (c.prepare()) {
                const bool existed = fs::exists(out);
                const Snapshot before = Take(out);
                EXPECT_EQ(Build(out, c.more), c.code) << c.what << ": " << errors.str();
                EXPECT_NE(errors.str().find(c.error), std::string::npos) << c.what << ": " << errors.str();
                EXPECT_EQ(fs::exists(out), existed) << c.what;
                EXPECT_EQ(Take(out), before) << c.what;
            }
            c.undo();
        }
    }
}

}  // namespace
