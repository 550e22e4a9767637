#include "packer/files/output_folder.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/files/system_file.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

// The tool's own working names: the lock, and the private folders a build
// writes into (a stopped build leaves one behind).
bool IsWorkingName(const fs::path& name) {
    const std::string text = PathText(name);
    return text == FolderLock::kFileName || text.starts_with(kPrivateFolderPrefix);
}

}  // namespace

OutputFolder::OutputFolder(fs::path folder, std::vector<std::wstring> ownFiles, Host& host)
    : folder_(std::move(folder)), ownFiles_(std::move(ownFiles)), host_(host) {
    for (std::wstring& name : ownFiles_) name = FoldCase(name);
}

bool OutputFolder::IsOwn(const fs::path& entry) const {
    const std::wstring name = FoldCase(host_.TextOf(entry.filename()));
    return std::find(ownFiles_.begin(), ownFiles_.end(), name) != ownFiles_.end();
}

std::vector<fs::path> OutputFolder::OtherEntries() const {
    std::vector<fs::path> others;
    std::error_code error;
    if (!fs::is_directory(folder_, error)) return others;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        if (IsWorkingName(it->path().filename())) continue;
        if (!IsOwn(it->path()) || it->is_directory(error)) others.push_back(it->path());
    }
    std::sort(others.begin(), others.end());
    return others;
}

std::vector<fs::path> OutputFolder::Blocked() const {
    std::vector<fs::path> blocked;
    std::error_code error;
    if (!fs::is_directory(folder_, error)) return blocked;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        if (IsOwn(it->path()) && it->symlink_status(error).type() == fs::file_type::directory)
            blocked.push_back(it->path());
    }
    std::sort(blocked.begin(), blocked.end());
    return blocked;
}

std::vector<fs::path> OutputFolder::EarlierFiles() const {
    std::vector<fs::path> earlier;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        if (IsOwn(it->path()) && it->symlink_status(error).type() != fs::file_type::directory)
            earlier.push_back(it->path());
    }
    if (error) throw PackError("cannot list " + QuotedPath(folder_) + ": " + error.message());
    return earlier;
}

PackageWrite::PackageWrite(OutputFolder folder) : folder_(std::move(folder)) {
    try {
        Take();
    } catch (...) {
        Release();  // no destructor runs for an object never made
        throw;
    }
}

void PackageWrite::Take() {
    MakeFolder();
    lock_.emplace(folder_.path());
    // With the lock held, no other build writes here: a private folder
    // found now is what a stopped build left.
    std::vector<fs::path> stale;
    std::error_code error;
    for (fs::directory_iterator it(folder_.path(), error), end; !error && it != end; it.increment(error)) {
        if (PathText(it->path().filename()).starts_with(kPrivateFolderPrefix)) stale.push_back(it->path());
    }
    // One that cannot be removed is shown by the check after the build.
    for (const fs::path& left : stale) fs::remove_all(left, error);
    staging_.emplace(NewPrivateFolder(folder_.path()));
}

void PackageWrite::MakeFolder() {
    std::error_code error;
    fs::path missing = fs::absolute(folder_.path(), error);
    std::vector<fs::path> levels;
    for (; !missing.empty() && !fs::exists(fs::symlink_status(missing, error)); missing = missing.parent_path()) {
        levels.push_back(missing);
        if (missing == missing.parent_path()) break;
    }
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        if (!fs::create_directory(*level, error) && error)
            throw PackError("cannot create " + QuotedPath(*level) + ": " + error.message());
        made_.push_back(*level);
    }
}

PackageWrite::~PackageWrite() { Release(); }

void PackageWrite::Release() {
    staging_.reset();
    lock_.reset();
    if (committed_) return;
    std::error_code ignored;
    // Only while empty: what another process put there meanwhile stays.
    for (auto level = made_.rbegin(); level != made_.rend(); ++level) fs::remove(*level, ignored);
}

void PackageWrite::Commit() {
    // The earlier files go into the private folder first, so that they can
    // come back, and so that one differing only in letter case (a separate
    // file on POSIX, the same one on Windows) does not stay beside the new.
    const fs::path aside = Staging() / "earlier";
    std::error_code error;
    if (!fs::create_directory(aside, error))
        throw PackError("cannot create " + QuotedPath(aside) + (error ? ": " + error.message() : ""));
    std::vector<fs::path> staged;
    for (fs::directory_iterator it(staging_->path(), error), end; !error && it != end; it.increment(error)) {
        if (it->path() != aside) staged.push_back(it->path().filename());
    }
    if (error) throw PackError("cannot list " + QuotedPath(staging_->path()) + ": " + error.message());

    std::vector<std::pair<fs::path, fs::path>> moved;  // from, to: in the order done
    try {
        for (const fs::path& earlier : folder_.EarlierFiles()) {
            RenameOver(earlier, aside / earlier.filename());
            moved.emplace_back(earlier, aside / earlier.filename());
        }
        for (const fs::path& name : staged) {
            RenameOver(Staging() / name, folder_.path() / name);
            moved.emplace_back(Staging() / name, folder_.path() / name);
        }
    } catch (const PackError& e) {
        for (auto back = moved.rbegin(); back != moved.rend(); ++back) {
            try {
                RenameOver(back->second, back->first);
            } catch (const PackError&) {
                // The message below says what failed first; a rename that
                // fails back leaves a whole file at one of the two names.
            }
        }
        throw PackError(std::string(e.what()) + "; the package folder is left as it was");
    }
    committed_ = true;
    staging_.reset();  // with the earlier files
}

}  // namespace packer
