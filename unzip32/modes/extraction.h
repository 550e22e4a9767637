// Extraction mode. A file entry goes through three steps with plain data
// between them:
//  - decide, on the calling thread (it may ask the replace callback): where
//    the entry goes, whether it may go there, its folders made (Placement);
//  - produce, which calls back nothing and prints nothing: its data read,
//    checked and written to a temporary file beside the target (Produced);
//    a worker thread may have done it ahead of the entry's turn (pipeline.h);
//  - commit, on the calling thread: the file renamed over its target, and
//    what happened reported.
// Folder entries are made as they come; links and the times and modes of
// folders wait for the end of the run (destination_tree.h). An entry that
// ends without its file in place leaves nothing: its temporary file goes,
// and so do the folders made for it alone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "unzip32/modes/destination_tree.h"
#include "unzip32/modes/overwrite_policy.h"
#include "unzip32/modes/path_sanitizer.h"
#include "unzip32/os/os.h"
#include "unzip32/run/entry_step.h"
#include "unzip32/run/pipeline.h"

namespace uz {

// Where a file entry goes; its folder exists, held by `folders` until the
// file is in place.
struct Placement {
    std::vector<std::string> components;  // below the destination
    std::string shownName;                // the components joined by '/', for messages
    os::Path folder;
    os::Path target;
    int64_t mtime = -1;                   // < 0: unknown
    int mode = -1;                        // < 0: the system's default
    FolderClaim folders;
};

class ExtractMode final : public ModeHandler {
public:
    // `root`: the destination, made already. `ahead`: the run's entries when
    // workers are to make them ahead of their turn.
    ExtractMode(RunContext& run, EntryStep& step, os::Path root, const std::vector<Selected>* ahead);
    int32_t entry(size_t position, const Entry& entry, const EntrySpan& span) override;
    int32_t finish(bool complete) override;

private:
    // Workers' part (pipeline.h).
    bool handOut(const Entry& entry, const EntrySpan& span, os::Path& folder) override;
    std::optional<Produced> produce(ArchiveInput& input, EntryReader& reader, const Entry& entry, uint64_t limit,
                                    const os::Path& folder) const override;

    // Gives the placement, or none when the entry is skipped (reported); a
    // non-zero result ends the run.
    int32_t decide(const Entry& entry, std::optional<Placement>& place);
    // Produces the entry (or takes what a worker made of it) and commits it.
    int32_t write(size_t position, const Entry& entry, Placement& place, EntryData& data);
    int32_t commit(Produced produced, Placement& place, const EntryData& data);
    int32_t link(const Entry& entry, Placement& place, EntryData& data);
    void placed(Placement& place);  // the entry is in place
    int32_t makeFolderEntry(const Entry& entry);
    int32_t outputFailed(OutputStep step, const os::Status& status, const std::string& shownName);
    // Drops the files made ahead, if any, for a second try at what failed.
    bool dropMadeAhead();

    RunContext& run_;
    EntryStep& step_;
    OverwritePolicy policy_;
    PathRules rules_;
    DestinationTree tree_;
    uint32_t umask_;
    size_t position_ = 0;  // of the entry at hand
    std::unique_ptr<Pipeline> pipeline_;  // last: its workers use what is above
};

}  // namespace uz
