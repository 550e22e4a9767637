// What happens when an entry's target already exists: freshen and update
// keep files that are not older than the entry; PromptOverwrite asks the
// replace callback (100 keep, 102 replace, 103 replace all, 104 keep all);
// otherwise OverWriteFiles replaces and its absence keeps.
#pragma once

#include <cstdint>
#include <string>

#include "options.h"
#include "os.h"

namespace uz {

enum class Verdict { Write, KeepExisting, NotNewer, NotPresent };

class OverwritePolicy {
public:
    OverwritePolicy(const Options& options, UzReplaceCallback replace) : options_(options), replace_(replace) {}

    // entryTime < 0: unknown. dosTimeOnly: the entry's time has 2-second steps.
    Verdict decide(const os::FileState& existing, int64_t entryTime, bool dosTimeOnly,
                   const std::string& utf8DisplayPath);

private:
    const Options& options_;
    UzReplaceCallback replace_;
    bool replaceAll_ = false;
    bool replaceNone_ = false;
};

}  // namespace uz
