#include "destination_tree.h"

#include <utility>

namespace uz {

DestinationTree::DestinationTree(RunContext& run, os::Path root) : run_(run), root_(std::move(root)) {
    os::RemoveStaleTemporaries(root_);
}

bool DestinationTree::makeFolders(const std::vector<std::string>& components, size_t count, os::Path& folder,
                                  const std::string& entryName) {
    folder = root_;
    std::string relative;
    for (size_t i = 0; i < count; ++i) {
        folder = os::Join(folder, components[i]);
        relative += components[i];
        relative += '/';
        if (knownFolders_.count(relative)) continue;
        const os::FileState state = os::Inspect(folder);
        if (state.exists && state.symlink) {
            // Following it could lead anywhere; entries never pass through links.
            run_.error(UZ_WARNING, "skipping: " + entryName + ": the folder " + relative + " is a symbolic link");
            return false;
        }
        if (state.exists && !state.directory) {
            run_.error(UZ_WARNING, "skipping: " + entryName + ": cannot create the folder " + relative +
                                       ", a file of that name exists");
            return false;
        }
        if (!state.exists) {
            const os::Status made = os::MakeDirectory(folder);
            if (made.ok()) {
                knownFolders_.insert(relative);
                continue;
            }
            if (made.kind != os::Status::Exists) {
                run_.error(UZ_WARNING, "skipping: " + entryName + ": cannot create the folder " + relative + ": " +
                                           os::Describe(made));
                return false;
            }
        }
        // There before this run met it.
        os::RemoveStaleTemporaries(folder);
        knownFolders_.insert(relative);
    }
    return true;
}

void DestinationTree::setFolderLater(os::Path folder, int64_t mtime, int mode) {
    folders_.push_back({std::move(folder), mtime, mode});
}

void DestinationTree::linkLater(Link link) { links_.push_back(std::move(link)); }

void DestinationTree::finish() {
    for (const auto& link : links_) {
        os::Path folder;
        if (!makeFolders(link.components, link.components.size() - 1, folder, link.shownName)) continue;
        const os::Path at = os::Join(folder, link.components.back());
        const os::FileState existing = os::Inspect(at);
        if (existing.exists && existing.directory) {
            run_.error(UZ_WARNING, "skipping: " + link.shownName + ": a folder of that name exists");
            continue;
        }
        // A file that stays makes the link fail below, and that is reported.
        if (existing.exists) static_cast<void>(os::RemoveFile(at));
        if (const os::Status s = os::CreateSymlink(at, link.target); !s.ok())
            run_.error(UZ_WARNING, "error: cannot create the link " + link.shownName + ": " + os::Describe(s));
    }
    links_.clear();
    // Deepest first: setting a folder's time before its contents change would be undone.
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
        // The folder and everything in it are in place; a time or mode it
        // cannot take is no reason to fail the run.
        static_cast<void>(os::SetDirectoryAttributes(it->path, it->mtime, it->mode));
    }
    folders_.clear();
}

}  // namespace uz
