// Entries read ahead on worker threads while the calling thread goes through
// the run in archive order.
//
// The calling thread does everything anyone can see, exactly as it would
// alone: every callback (service, print, replace, password), every decision,
// every folder made, and every file put in place, in archive order. Workers
// only do ahead of it what it would otherwise do itself and what nobody sees:
// read an entry's data, inflate and check it, and (extracting) write it to an
// unnamed or temporary file (os.h: OutputFile). When the calling thread
// reaches an entry it takes what a worker made, if anything, and uses it as
// if it had made it itself; anything it does not take is dropped, and a
// dropped file is removed.
//
// Which entries go ahead is the mode's choice (AheadWork::handOut): only
// those that need no question and no password, whose output nothing before
// them in the archive can change. A worker's file goes into the deepest
// folder of the entry's path that is known to stay (destination_tree.h),
// and is put in place from there.
//
// Threads: started by Start() and joined by the destructor, inside the run;
// they never call the caller. At most `window` entries are handed out at a
// time, each worker has one entry reader's fixed buffers, so memory stays
// bounded whatever the archive. Any failure on a worker (no memory, a
// thread that cannot start) only means that the calling thread does that
// entry itself. Every member is called on the calling thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "unzip32/data/entry_reader.h"
#include "unzip32/format/entry_spans.h"
#include "unzip32/os/os.h"
#include "unzip32/os/os_threads.h"
#include "unzip32/run/run_settings.h"

namespace uz {

// A selected entry, in the order the run takes them.
struct Selected {
    const Entry* entry;
    const EntrySpan* span;
};

// Where writing an entry's output failed, which names it in the message.
enum class OutputStep { None, Create, Write, Commit, LinkFile };

// An entry's data checked and, when extracting, in a file beside its target
// (or in `folder`, when a worker made it); or why not.
struct Produced {
    std::unique_ptr<os::OutputFile> file;    // complete; removed unless committed
    os::Path folder;                         // where `file` is
    OutputStep failedAt = OutputStep::None;  // the output failed there with `status`
    os::Status status;
    DataOutcome data;                        // the data failed; nothing was left behind
};

// What a mode lets workers do.
class AheadWork {
public:
    // Calling thread, for an entry ahead of the one it is at: whether a
    // worker may make it now, and in which folder.
    virtual bool handOut(const Entry& entry, const EntrySpan& span, os::Path& folder) = 0;
    // Worker threads, several at once: the entry made as the calling thread
    // would make it, without calling back or printing anything; nothing when
    // it cannot be told (the calling thread then does it itself).
    virtual std::optional<Produced> produce(ArchiveInput& input, EntryReader& reader, const Entry& entry,
                                            uint64_t limit, const os::Path& folder) const = 0;

protected:
    ~AheadWork() = default;
};

// Whether a run of `plan` is worth threads: two entries with data or more
// (one, with `settings.leaveToWorkers`), and `settings.fromBytes` of it.
bool WorthThreads(const std::vector<Selected>& plan, const RunSettings& settings);

class Pipeline {
public:
    // Null when no thread could be started. `input` may be read by several
    // threads at once; it, `work` and `plan` outlive the pipeline.
    static std::unique_ptr<Pipeline> Start(ArchiveInput& input, AheadWork& work, const std::vector<Selected>& plan,
                                           const RunSettings& settings);
    // Stops the workers (an entry in the middle is cut short), joins them and
    // drops everything not taken.
    ~Pipeline();
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // The calling thread is at `position` of the plan: drops what was made
    // for entries before it (never to be taken) and hands out the entries
    // after it that the window has room for (from it, with leaveToWorkers).
    void advance(size_t position);
    // What a worker made of the entry at `position`, waiting for it while a
    // worker is at it. Nothing when it was not handed out, no worker has
    // started on it (it is withdrawn; with leaveToWorkers, only when no
    // worker is left), or its worker could not make it.
    std::optional<Produced> take(size_t position);
    // Drops everything handed out, waiting until the workers have let go of
    // it and every file made for it is gone; the calling thread makes the
    // entry at `position` itself, and hands out again from after it.
    void restart(size_t position);
    // Whether files made ahead (or being made) for entries not yet taken
    // take room on the disk now.
    bool holdsFiles();

private:
    Pipeline(ArchiveInput& input, AheadWork& work, const std::vector<Selected>& plan, const RunSettings& settings);
    static void Work(void* self) { static_cast<Pipeline*>(self)->work(); }
    void work();
    // Drops the slots of positions below `below`, with the lock held; what
    // they made goes into `dropped`, to be destroyed once it is released.
    void drop(size_t below, std::vector<Produced>& dropped);

    enum class State { Queued, Running, Made, Withdrawn };
    struct Slot {
        size_t key;  // position in the plan
        os::Path folder;
        State state = State::Queued;
        Produced made;
    };

    ArchiveInput& input_;
    AheadWork& work_;
    const std::vector<Selected>& plan_;
    const size_t window_;
    const bool leaveToWorkers_;
    size_t next_ = 0;  // the next position to consider handing out

    os::Mutex mutex_;
    os::Condition queued_;   // workers wait here for entries (or the end)
    os::Condition changed_;  // the calling thread waits here for results
    std::vector<Slot> slots_;  // in plan order; only the calling thread adds and removes
    size_t running_ = 0;
    size_t workers_ = 0;  // alive: a worker without a reader ends early
    bool stopping_ = false;
    std::atomic<bool> cancel_{false};  // workers' reads fail at once: their results go unused

    std::unique_ptr<os::Thread[]> threads_;
    unsigned threadCount_ = 0;
};

}  // namespace uz
