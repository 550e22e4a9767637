#include "unzip32/modes/destination_tree.h"

#include <utility>

namespace uz {

FolderClaim::FolderClaim(FolderClaim&& other) noexcept
    : tree_(std::exchange(other.tree_, nullptr)), folders_(std::move(other.folders_)) {
    other.folders_.clear();
}

void FolderClaim::keep() {
    if (tree_)
        for (const auto& f : folders_) tree_->knownFolders_.find(f.relative)->second = 0;
    folders_.clear();
}

void FolderClaim::release() {
    if (tree_) tree_->release(*this);
    folders_.clear();
}

DestinationTree::DestinationTree(RunContext& run, os::Path root) : run_(run), root_(std::move(root)) {
    os::RemoveStaleTemporaries(root_);
}

DestinationTree::Folders DestinationTree::makeFolders(const std::vector<std::string>& components, size_t count,
                                                      os::Path& folder, const std::string& entryName,
                                                      FolderClaim& claim) {
    claim.tree_ = this;
    folder = root_;
    std::string relative;
    for (size_t i = 0; i < count; ++i) {
        folder = os::Join(folder, components[i]);
        relative += components[i];
        relative += '/';
        if (const auto known = knownFolders_.find(relative); known != knownFolders_.end()) {
            if (known->second > 0) {
                ++known->second;
                claim.folders_.push_back({relative, folder});
            }
            continue;
        }
        const os::FileState state = os::Inspect(folder);
        if (state.exists && state.symlink) {
            // Following it could lead anywhere; entries never pass through links.
            run_.error(UZ_WARNING, "skipping: " + entryName + ": the folder " + relative + " is a symbolic link");
            return Folders::Refused;
        }
        if (state.exists && !state.directory) {
            run_.error(UZ_WARNING, "skipping: " + entryName + ": cannot create the folder " + relative +
                                       ", a file of that name exists");
            return Folders::Refused;
        }
        if (!state.exists) {
            os::Status made = os::MakeDirectory(folder);
            if (made.kind == os::Status::DiskFull && makeRoom_ && makeRoom_()) made = os::MakeDirectory(folder);
            if (made.ok()) {
                knownFolders_.emplace(relative, 1);
                claim.folders_.push_back({relative, folder});
                continue;
            }
            if (made.kind == os::Status::DiskFull) {
                run_.reporter.message(MessageClass::Error, "error: disk full, cannot create the folder " + relative);
                return Folders::DiskFull;
            }
            if (made.kind != os::Status::Exists) {
                run_.error(UZ_WARNING, "skipping: " + entryName + ": cannot create the folder " + relative + ": " +
                                           os::Describe(made));
                return Folders::Refused;
            }
        }
        // There before this run met it.
        os::RemoveStaleTemporaries(folder);
        knownFolders_.emplace(relative, 0);
    }
    return Folders::Ready;
}

os::Path DestinationTree::keptFolder(const std::vector<std::string>& components, size_t count) const {
    os::Path folder = root_;
    std::string relative;
    for (size_t i = 0; i < count; ++i) {
        relative += components[i];
        relative += '/';
        const auto known = knownFolders_.find(relative);
        if (known == knownFolders_.end() || known->second > 0) break;
        folder = os::Join(folder, components[i]);
    }
    return folder;
}

os::Path DestinationTree::below(const std::vector<std::string>& components) const {
    os::Path path = root_;
    for (const std::string& component : components) path = os::Join(path, component);
    return path;
}

void DestinationTree::release(FolderClaim& claim) {
    for (auto it = claim.folders_.rbegin(); it != claim.folders_.rend(); ++it) {
        const auto held = knownFolders_.find(it->relative);
        if (held == knownFolders_.end() || held->second == 0 || --held->second > 0) continue;  // kept, or still claimed
        knownFolders_.erase(held);
        // Not empty means something else is in it now; then it stays.
        static_cast<void>(os::RemoveEmptyDirectory(it->path));
    }
}

void DestinationTree::setFolderLater(os::Path folder, int64_t mtime, int mode) {
    folders_.push_back({std::move(folder), mtime, mode});
}

void DestinationTree::linkLater(Link link) {
    replaceWaitingLink(link.shownName);
    waitingLinks_[link.shownName] = links_.size();
    links_.push_back(std::move(link));
}

const DestinationTree::Link* DestinationTree::waitingLink(const std::string& shownName) const {
    const auto found = waitingLinks_.find(shownName);
    return found == waitingLinks_.end() ? nullptr : &links_[found->second];
}

void DestinationTree::replaceWaitingLink(const std::string& shownName) {
    const auto found = waitingLinks_.find(shownName);
    if (found == waitingLinks_.end()) return;
    links_[found->second].replaced = true;
    waitingLinks_.erase(found);
}

int32_t DestinationTree::finish() {
    int32_t result = UZ_OK;
    for (const auto& link : links_) {
        if (link.replaced) continue;
        os::Path folder;
        FolderClaim claim;
        const Folders folders = makeFolders(link.components, link.components.size() - 1, folder, link.shownName, claim);
        if (folders == Folders::DiskFull) {
            result = UZ_DISK_FULL;
            break;
        }
        if (folders == Folders::Refused) continue;
        const os::Path at = os::Join(folder, link.components.back());
        const os::FileState existing = os::Inspect(at);
        if (existing.exists && existing.directory) {
            run_.error(UZ_WARNING, "skipping: " + link.shownName + ": a folder of that name exists");
            continue;
        }
        // A file that stays makes the link fail below, and that is reported.
        if (existing.exists) static_cast<void>(os::RemoveFile(at));
        const os::Status s = os::CreateSymlink(at, link.target);
        if (s.kind == os::Status::DiskFull) {
            run_.reporter.message(MessageClass::Error, "error: disk full, cannot create the link " + link.shownName);
            result = UZ_DISK_FULL;
            break;
        }
        if (!s.ok()) {
            run_.error(UZ_WARNING, "error: cannot create the link " + link.shownName + ": " + os::Describe(s));
            continue;
        }
        claim.keep();
    }
    links_.clear();
    waitingLinks_.clear();
    // Deepest first: setting a folder's time before its contents change would be undone.
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
        // The folder and everything in it are in place; a time or mode it
        // cannot take is no reason to fail the run.
        static_cast<void>(os::SetDirectoryAttributes(it->path, it->mtime, it->mode));
    }
    folders_.clear();
    return result;
}

}  // namespace uz
