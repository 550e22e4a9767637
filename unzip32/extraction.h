// Extraction mode. A file entry goes through three steps with plain data
// between them:
//  - decide, on the calling thread (it may ask the replace callback): where
//    the entry goes, whether it may go there, its folders made (Placement);
//  - produce, which calls back nothing and prints nothing: its data read,
//    checked and written to a temporary file beside the target (Produced);
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

#include "destination_tree.h"
#include "entry_step.h"
#include "os.h"
#include "overwrite_policy.h"
#include "path_sanitizer.h"

namespace uz {

class FileSink;

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

// Where writing an entry's output failed, which names it in the message.
enum class OutputStep { None, Create, Write, Commit, LinkFile };

// An entry's data in a temporary file beside its target, every byte checked;
// or why not.
struct Produced {
    std::unique_ptr<os::OutputFile> file;    // complete; removed unless committed
    OutputStep failedAt = OutputStep::None;  // the output failed there with `status`
    os::Status status;
    DataOutcome data;                        // the data failed; nothing was left behind
};

class ExtractMode final : public ModeHandler {
public:
    // `root`: the destination, made already.
    ExtractMode(RunContext& run, EntryStep& step, os::Path root);
    int32_t entry(const Entry& entry, const EntrySpan& span) override;
    int32_t finish(bool complete) override;

private:
    // Gives the placement, or none when the entry is skipped (reported); a
    // non-zero result ends the run.
    int32_t decide(const Entry& entry, std::optional<Placement>& place);
    Produced produce(const Entry& entry, EntryData& data, const os::Path& folder);
    DataOutcome readInto(const Entry& entry, EntryData& data, FileSink& sink);
    int32_t commit(Produced produced, Placement& place, const EntryData& data);
    int32_t link(const Entry& entry, Placement& place, EntryData& data);
    void placed(Placement& place);  // the entry is in place
    int32_t makeFolderEntry(const Entry& entry);
    int32_t outputFailed(OutputStep step, const os::Status& status, const std::string& shownName);

    RunContext& run_;
    EntryStep& step_;
    OverwritePolicy policy_;
    PathRules rules_;
    DestinationTree tree_;
    uint32_t umask_;
};

}  // namespace uz
