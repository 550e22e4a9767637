// What setup-pack writes, under Windows: a new file is never one that
// exists, it is read back before it counts as written, a rename replaces
// what held the name, and a folder's lock is held by one run at a time
// (the sharing mode the system applies) and goes with its handle.
#include <gtest/gtest.h>

#include "packer/base/pack_error.h"
#include "packer/files/folder_lock.h"
#include "packer/files/new_file.h"
#include "packer/files/system_file.h"
#include "scratch.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

TEST(NewFile, NeverAnExistingOneVerifiedAndPutInPlaceByRename) {
    testsupport::Scratch folder;
    WriteFile(folder / "taken", "precious");
    EXPECT_THROW(packer::NewFile{folder / "taken"}, packer::PackError);
    EXPECT_EQ(ReadFile(folder / "taken"), "precious");

    packer::WriteNewFile(folder / "new", "abc");
    EXPECT_EQ(ReadFile(folder / "new"), "abc");
    {
        packer::NewFile spoilt(folder / "spoilt");
        spoilt.Write("abc");
        EXPECT_THROW(spoilt.Finish(packer::Crc32(0, "abd")), packer::PackError);
    }
    packer::RenameOver(folder / "new", folder / "taken");
    EXPECT_EQ(ReadFile(folder / "taken"), "abc");
    EXPECT_FALSE(fs::exists(folder / "new"));
}

TEST(FolderLock, OneRunAtATimeAndNothingLeftAfterIt) {
    testsupport::Scratch folder;
    {
        const packer::FolderLock held(folder.path());
        try {
            const packer::FolderLock second(folder.path());
            ADD_FAILURE() << "a second lock was taken";
        } catch (const packer::PackError& error) {
            EXPECT_NE(std::string(error.what()).find("is being written by another setup-pack"), std::string::npos)
                << error.what();
        }
    }
    EXPECT_FALSE(fs::exists(folder / packer::FolderLock::kFileName));
    const packer::FolderLock again(folder.path());
}

}  // namespace
