// The folders below the destination as one extraction makes them: each level
// checked or made once, never through a symbolic link and never over a file.
//
// A folder made for an entry stays only once something is in place in it: an
// entry that ends without its file (skipped, refused, failed) removes again
// the folders that it alone needed. Each entry holds the folders made for it
// in a FolderClaim until it is in place; several claims may hold the same
// folder at once (entries decided before earlier ones are in place).
//
// The first time a run meets a folder that was there before, it removes the
// library's stale temporary files from it (os.h), before any temporary file of
// its own can be there: the destination itself when the tree is made, every
// other folder before the first entry that goes into it is handed on.
//
// What must wait for the end of the run waits here: symbolic links (so that
// no later entry is written through one) and the times and modes of folders
// (which writing into them would change again). A waiting link holds its name
// as a file would: a later entry of the same name sees it as the file there,
// and replaces it when that entry is put in place.
//
// Used on the calling thread only. Output files made ahead of their entry's
// turn (pipeline.h) go into keptFolder(), which nothing can remove any more.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "unzip32/os/os.h"
#include "unzip32/run/entry_step.h"

namespace uz {

class DestinationTree;

// The folders made for one entry that nothing in place needs yet. keep()
// once the entry is in place; dropped without it, the folders go again,
// deepest first, unless another claim still holds them.
class FolderClaim {
public:
    FolderClaim() = default;
    FolderClaim(FolderClaim&& other) noexcept;
    FolderClaim& operator=(FolderClaim&&) = delete;
    ~FolderClaim() { release(); }
    void keep();

private:
    friend class DestinationTree;
    struct Folder {
        std::string relative;
        os::Path path;
    };
    void release();
    DestinationTree* tree_ = nullptr;
    std::vector<Folder> folders_;  // outermost first
};

class DestinationTree {
public:
    DestinationTree(RunContext& run, os::Path root);

    enum class Folders { Ready, Refused, DiskFull };
    // Makes the first `count` of `components` as folders below the root and
    // gives the deepest in `folder`; the ones it made join `claim`. Refused:
    // reported as a warning for `entryName`. DiskFull: reported; the run ends.
    Folders makeFolders(const std::vector<std::string>& components, size_t count, os::Path& folder,
                        const std::string& entryName, FolderClaim& claim);
    // Asked when the disk is full as a folder is made, before that is
    // reported: whether it freed room worth one more try.
    void whenFull(std::function<bool()> makeRoom) { makeRoom_ = std::move(makeRoom); }

    // The deepest of the folders the first `count` of `components` name that
    // is known to stay (something is in place in it, or it was there before);
    // the destination when none is. Makes and checks nothing.
    os::Path keptFolder(const std::vector<std::string>& components, size_t count) const;
    // The path `components` name below the destination, whatever exists.
    os::Path below(const std::vector<std::string>& components) const;

    void setFolderLater(os::Path folder, int64_t mtime, int mode);
    struct Link {
        std::vector<std::string> components;  // where the link goes
        std::string target;
        std::string shownName;
        int64_t mtime;
        bool replaced = false;  // by a later entry of the same name
    };
    void linkLater(Link link);
    // The link waiting to be made at `shownName`, if any.
    const Link* waitingLink(const std::string& shownName) const;
    // A later entry is in place at `shownName`: no link is made there.
    void replaceWaitingLink(const std::string& shownName);
    // Makes the links, then sets the folders' times and modes, deepest first.
    // Gives UZ_DISK_FULL when the disk filled up on the way, else UZ_OK.
    int32_t finish();

private:
    friend class FolderClaim;
    void release(FolderClaim& claim);

    RunContext& run_;
    os::Path root_;
    std::function<bool()> makeRoom_;
    // Relative folders known to exist, each ending in '/', with the number of
    // claims that hold them: 0 for the folders that stay.
    std::unordered_map<std::string, size_t> knownFolders_;
    struct FolderAttributes {
        os::Path path;
        int64_t mtime;
        int mode;
    };
    std::vector<FolderAttributes> folders_;
    std::vector<Link> links_;
    std::unordered_map<std::string, size_t> waitingLinks_;  // shownName -> index in links_
};

}  // namespace uz
