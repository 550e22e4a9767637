#include "packer/output_folder.h"

#include <algorithm>
#include <system_error>

#include "packer/pack_error.h"
#include "packer/text.h"

namespace packer {

namespace fs = std::filesystem;

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
        if (!IsOwn(it->path()) || it->is_directory(error)) others.push_back(it->path());
    }
    std::sort(others.begin(), others.end());
    return others;
}

void OutputFolder::Prepare() const {
    std::error_code error;
    fs::create_directories(folder_, error);
    if (error) throw PackError("cannot create " + QuotedPath(folder_) + ": " + error.message());
    std::vector<fs::path> earlier;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        if (IsOwn(it->path()) && !it->is_directory(error)) earlier.push_back(it->path());
    }
    if (error) throw PackError("cannot list " + QuotedPath(folder_) + ": " + error.message());
    for (const fs::path& file : earlier) {
        if (!fs::remove(file, error) && error) {
            throw PackError("cannot remove " + QuotedPath(file) + " of an earlier build: " +
                            error.message());
        }
    }
}

}  // namespace packer
