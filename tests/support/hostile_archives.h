// What the library's tests of hostile archives share, natively and under
// Windows: a link entry, and the check that a name is refused while the good
// entry beside it is extracted and nothing lands anywhere else.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "unzip_harness.h"
#include "zip_builder.h"

namespace uztest {

// A symbolic link as Unix archivers store one: mode 0120777 in the external
// attributes' high half, the target as the stored data.
inline ZipItem LinkEntry(const std::string& name, const std::string& target) {
    ZipItem item;
    item.name = name;
    item.data = target;
    item.method = 0;
    item.externalAttributes = 0120777u << 16;
    return item;
}

// Extracts an archive holding `name` ("evil") and good.txt ("good"), written
// at `archive`, into `dest` (emptied first): the result is a warning, the
// refusal is printed, and `dest` holds good.txt alone.
inline void ExpectRefusedBesideGood(const std::string& name, const fs::path& archive, const fs::path& dest) {
    fs::remove_all(dest);
    fs::create_directories(dest);
    WriteFile(archive, ZipBuilder().file(name, "evil").file("good.txt", "good").build());
    Call call(archive, dest);
    EXPECT_EQ(call.run(), UZ_WARNING) << name;
    EXPECT_NE(Rec().printed.find("refused"), std::string::npos) << name;
    EXPECT_EQ(Tree(dest), (std::map<std::string, std::string>{{"good.txt", "good"}})) << name;
}

}  // namespace uztest
