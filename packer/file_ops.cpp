#include "packer/file_ops.h"

#include <random>
#include <string>
#include <system_error>

#include "packer/pack_error.h"
#include "packer/text.h"

namespace packer {

namespace fs = std::filesystem;

TemporaryPath::~TemporaryPath() {
    std::error_code ignored;
    if (!kept_) fs::remove_all(path_, ignored);
}

fs::path NewTemporaryFolder() {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) throw PackError("no temporary folder: " + error.message());
    std::random_device random;
    // A name another process took in the meantime is never shared: the
    // folder is ours only when this call created it.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = base / ("setup-pack-" + std::to_string(random()));
        if (fs::create_directory(folder, error)) return folder;
        if (error) break;
    }
    throw PackError("cannot make a folder in " + QuotedPath(base) + (error ? ": " + error.message() : ""));
}

bool IsWithin(const fs::path& inner, const fs::path& outer) {
    std::error_code error;
    const fs::path a = fs::weakly_canonical(inner, error);
    const fs::path b = fs::weakly_canonical(outer, error);
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (bi->empty()) continue;  // a trailing separator
        if (ai == a.end() || *ai != *bi) return false;
    }
    return true;
}

fs::path CopyInto(const fs::path& source, const fs::path& folder, const char* name) {
    std::error_code error;
    fs::copy_file(source, folder / name, fs::copy_options::overwrite_existing, error);
    if (error) {
        throw PackError("cannot copy " + QuotedPath(source) + " to " + QuotedPath(folder / name) + ": " +
                        error.message());
    }
    return folder / name;
}

}  // namespace packer
