// The folders below the destination as one extraction makes them: each level
// checked or made once, never through a symbolic link and never over a file.
// The first time a run meets a folder that was there before, it removes the
// library's stale temporary files from it (os.h), before any temporary file of
// its own can be there: the destination itself when the tree is made, every
// other folder before the first entry that goes into it is handed on.
// What must wait for the end of the run waits here: symbolic links (so that
// no later entry is written through one) and the times and modes of folders
// (which writing into them would change again). Used on the calling thread
// only.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "entry_step.h"
#include "os.h"

namespace uz {

class DestinationTree {
public:
    DestinationTree(RunContext& run, os::Path root);

    // Makes the first `count` of `components` as folders below the root and
    // gives the deepest in `folder`; on failure reports it as a warning for
    // `entryName` and returns false.
    bool makeFolders(const std::vector<std::string>& components, size_t count, os::Path& folder,
                     const std::string& entryName);

    void setFolderLater(os::Path folder, int64_t mtime, int mode);
    struct Link {
        std::vector<std::string> components;  // where the link goes
        std::string target;
        std::string shownName;
    };
    void linkLater(Link link);
    // Makes the links, then sets the folders' times and modes, deepest first.
    void finish();

private:
    RunContext& run_;
    os::Path root_;
    std::unordered_set<std::string> knownFolders_;  // relative folders known to exist, each ending in '/'
    struct FolderAttributes {
        os::Path path;
        int64_t mtime;
        int mode;
    };
    std::vector<FolderAttributes> folders_;
    std::vector<Link> links_;
};

}  // namespace uz
