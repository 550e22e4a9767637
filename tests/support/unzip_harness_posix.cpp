// libunzip32.so, linked into the test program.
#include "unzip_harness.h"

namespace uztest {

const Entries& Library() {
    static const Entries linked{&UzpVersion2, &Wiz_SingleEntryUnzip};
    return linked;
}

std::string LibraryText(const fs::path& path) { return path.string(); }

}  // namespace uztest
