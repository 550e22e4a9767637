#include "packer/app_tree.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "packer/dos_time.h"
#include "packer/pack_error.h"
#include "packer/text.h"
#include "packer/zip_writer.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

std::time_t ModifiedTime(const fs::path& path) {
    std::error_code error;
    const fs::file_time_type stamp = fs::last_write_time(path, error);
    if (error) throw PackError("cannot read the time of " + QuotedPath(path) + ": " + error.message());
    const auto system = std::chrono::file_clock::to_sys(stamp);
    return std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
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
                throw PackError(QuotedPath(path) + " is a link to a folder, which is not packed");
            }
            out.push_back({prefix + name + "/", path, true, ModifiedTime(path)});
            Collect(path, prefix + name + "/", out);
        } else if (fs::is_regular_file(target)) {
            out.push_back({prefix + name, path, false, ModifiedTime(path)});
        } else {
            throw PackError(QuotedPath(path) + " is neither a file nor a folder (or a broken link)");
        }
    }
}

}  // namespace

std::vector<AppEntry> CollectAppTree(const fs::path& root) {
    std::error_code error;
    if (!fs::is_directory(root, error)) throw PackError(QuotedPath(root) + " is not a folder");
    std::vector<AppEntry> entries;
    Collect(root, "", entries);
    return entries;
}

void WriteArchive(const fs::path& root, const fs::path& zipFile) {
    const std::vector<AppEntry> entries = CollectAppTree(root);
    ZipWriter writer(zipFile);
    for (const AppEntry& entry : entries) {
        if (entry.directory) {
            writer.AddDirectory(entry.name, ToDosTime(entry.modified));
        } else {
            writer.AddFile(entry.name, entry.source, ToDosTime(entry.modified));
        }
    }
    writer.Finish();
}

}  // namespace packer
