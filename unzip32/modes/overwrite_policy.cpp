#include "unzip32/modes/overwrite_policy.h"

#include <vector>

namespace uz {

std::optional<Verdict> OverwritePolicy::settle(const os::FileState& existing, int64_t entryTime,
                                               bool dosTimeOnly) const {
    if (!existing.exists) return options_.freshen ? Verdict::NotPresent : Verdict::Write;
    if (options_.freshen || options_.update) {
        // MS-DOS times have 2-second steps: the file's time rounded up to them.
        const int64_t fileTime = dosTimeOnly ? (existing.mtime + 1) & ~int64_t{1} : existing.mtime;
        if (entryTime < 0 || entryTime <= fileTime) return Verdict::NotNewer;
    }
    if (options_.prompt) {
        if (replaceAll_) return Verdict::Write;
        if (replaceNone_ || !replace_) return Verdict::KeepExisting;
        return std::nullopt;
    }
    if (options_.overwrite || options_.freshen || options_.update) return Verdict::Write;
    return Verdict::KeepExisting;
}

Verdict OverwritePolicy::decide(const os::FileState& existing, int64_t entryTime, bool dosTimeOnly,
                                const std::string& displayPath) {
    if (const std::optional<Verdict> settled = settle(existing, entryTime, dosTimeOnly)) return *settled;
    // The callback gets a writable buffer of its own, longer than any name it reads.
    const std::string ansi = os::Utf8ToAnsi(displayPath);
    std::vector<char> buffer(std::max<size_t>(ansi.size() + 1, 260), '\0');
    std::copy(ansi.begin(), ansi.end(), buffer.begin());
    switch (replace_(buffer.data())) {
    case UZ_REPLACE_YES: return Verdict::Write;
    case UZ_REPLACE_ALL: replaceAll_ = true; return Verdict::Write;
    case UZ_REPLACE_NONE: replaceNone_ = true; return Verdict::KeepExisting;
    default: return Verdict::KeepExisting;
    }
}

}  // namespace uz
