#include "packer/files/file_ops.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "packer/files/new_file.h"
#include "packer/files/system_file.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

constexpr int kNameAttempts = 100;
constexpr size_t kCopyChunk = 1 << 20;

}  // namespace

TemporaryPath::~TemporaryPath() {
    std::error_code ignored;
    if (!kept_) fs::remove_all(path_, ignored);
}

fs::path NewPrivateFolder(const fs::path& base) {
    std::random_device random;
    // A name another process took in the meantime is never shared: the
    // folder is ours only when this call created it.
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char digits[17];
        std::snprintf(digits, sizeof digits, "%08X%08X", static_cast<unsigned>(random()),
                      static_cast<unsigned>(random()));
        const fs::path folder = base / (std::string(kPrivateFolderPrefix) + digits);
        if (MakeOwnFolder(folder)) return folder;
    }
    throw PackError("cannot make a folder in " + QuotedPath(base) + ": every name tried was taken");
}

fs::path NewTemporaryFolder() {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    if (error) throw PackError("no temporary folder: " + error.message());
    return NewPrivateFolder(base);
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
    std::ifstream in(source, std::ios::binary);
    if (!in) throw PackError("cannot read " + QuotedPath(source));
    std::error_code error;
    const uint64_t size = fs::file_size(source, error);
    if (error) throw PackError("cannot read " + QuotedPath(source) + ": " + error.message());
    NewFile copy(folder / name);
    std::string buffer(kCopyChunk, '\0');
    uint32_t crc = 0;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        const std::string_view got(buffer.data(), static_cast<size_t>(in.gcount()));
        copy.Write(got);
        crc = Crc32(crc, got);
    }
    if (in.bad()) throw PackError("cannot read " + QuotedPath(source));
    if (copy.size() != size) throw PackError(QuotedPath(source) + " changed while it was copied");
    copy.Finish(crc);
    return copy.path();
}

}  // namespace packer
