#include "packer/archive/app_tree.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

int64_t ModifiedTime(const fs::path& path) {
    std::error_code error;
    const fs::file_time_type stamp = fs::last_write_time(path, error);
    if (error) throw PackError("cannot read the time of " + QuotedPath(path) + ": " + error.message());
    const auto system = std::chrono::file_clock::to_sys(stamp);
    return std::chrono::floor<std::chrono::seconds>(system).time_since_epoch().count();
}

void Collect(const fs::path& folder, const std::string& prefix, std::vector<AppEntry>& out) {
    std::error_code error;
    std::vector<std::pair<std::string, fs::path>> children;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        children.emplace_back(PathText(it->path().filename()), it->path());
    }
    if (error) throw PackError("cannot list " + QuotedPath(folder) + ": " + error.message());
    // Byte order of the UTF-8 names: the same archive on every system.
    std::sort(children.begin(), children.end());

    for (const auto& [name, path] : children) {
        const fs::file_status link = fs::symlink_status(path, error);
        const fs::file_status target = fs::status(path, error);
        if (fs::is_directory(target)) {
            // A link to a folder could lead back up the tree.
            if (fs::is_symlink(link)) {
                throw PackError(QuotedPath(path) + " is a link to a folder, which is not packed",
                                PackError::Kind::Package);
            }
            out.push_back({prefix + name + "/", path, true, ModifiedTime(path), 0});
            Collect(path, prefix + name + "/", out);
        } else if (fs::is_regular_file(target)) {
            const uint64_t size = fs::file_size(path, error);
            if (error) throw PackError("cannot read " + QuotedPath(path) + ": " + error.message());
            out.push_back({prefix + name, path, false, ModifiedTime(path), size, fs::is_symlink(link)});
        } else {
            throw PackError(QuotedPath(path) + " is neither a file nor a folder (or a broken link)",
                            PackError::Kind::Package);
        }
    }
}

}  // namespace

std::vector<AppEntry> CollectAppTree(const fs::path& root) {
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        throw PackError(QuotedPath(root) + " is not a folder", PackError::Kind::Package);
    }
    std::vector<AppEntry> entries;
    Collect(root, "", entries);
    return entries;
}

}  // namespace packer
