// What happens when an entry's target already exists: freshen and update
// keep files that are not older than the entry; PromptOverwrite asks the
// replace callback (100 keep, 102 replace, 103 replace all, 104 keep all);
// otherwise OverWriteFiles replaces and its absence keeps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "unzip32/os/os.h"
#include "unzip32/run/options.h"

namespace uz {

enum class Verdict { Write, KeepExisting, NotNewer, NotPresent };

class OverwritePolicy {
public:
    OverwritePolicy(const Options& options, UzReplaceCallback replace) : options_(options), replace_(replace) {}

    // entryTime < 0: unknown. dosTimeOnly: the entry's time has 2-second steps.
    Verdict decide(const os::FileState& existing, int64_t entryTime, bool dosTimeOnly,
                   const std::string& utf8DisplayPath);
    // The verdict as far as it can be given without asking; nothing when
    // the replace callback would be asked.
    std::optional<Verdict> settle(const os::FileState& existing, int64_t entryTime, bool dosTimeOnly) const;
    // Whether every entry is written, whatever stands at its target.
    bool writesOverAnything() const {
        return options_.overwrite && !options_.freshen && !options_.update && !options_.prompt;
    }

private:
    const Options& options_;
    UzReplaceCallback replace_;
    bool replaceAll_ = false;
    bool replaceNone_ = false;
};

}  // namespace uz
