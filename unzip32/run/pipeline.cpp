#include "unzip32/run/pipeline.h"

#include <algorithm>

namespace uz {
namespace {

// The archive as a worker reads it: once the pipeline cancels what its
// workers are doing, nothing more comes, so that an entry in the middle ends
// at once (its result goes unused).
class CancellableInput final : public ArchiveInput {
public:
    CancellableInput(ArchiveInput& input, const std::atomic<bool>& cancel) : input_(input), cancel_(cancel) {}
    uint64_t size() const override { return input_.size(); }
    size_t readAt(uint64_t offset, uint8_t* buffer, size_t n) override {
        return cancel_.load(std::memory_order_relaxed) ? 0 : input_.readAt(offset, buffer, n);
    }

private:
    ArchiveInput& input_;
    const std::atomic<bool>& cancel_;
};

}  // namespace

bool WorthThreads(const std::vector<Selected>& plan, const RunSettings& settings) {
    if (settings.workers == 0 || settings.window == 0) return false;
    size_t withData = 0;
    uint64_t bytes = 0;
    for (const Selected& selected : plan) {
        if (selected.entry->isDirectory()) continue;
        ++withData;
        // The sizes are the archive's word: a sum that would wrap is large enough.
        bytes = selected.entry->size > UINT64_MAX - bytes ? UINT64_MAX : bytes + selected.entry->size;
    }
    return withData >= (settings.leaveToWorkers ? 1u : 2u) && bytes >= settings.fromBytes;
}

Pipeline::Pipeline(ArchiveInput& input, AheadWork& work, const std::vector<Selected>& plan,
                   const RunSettings& settings)
    : input_(input), work_(work), plan_(plan), window_(settings.window), leaveToWorkers_(settings.leaveToWorkers) {}

std::unique_ptr<Pipeline> Pipeline::Start(ArchiveInput& input, AheadWork& work, const std::vector<Selected>& plan,
                                          const RunSettings& settings) {
    std::unique_ptr<Pipeline> pipeline(new Pipeline(input, work, plan, settings));
    Pipeline& p = *pipeline;
    p.threads_.reset(new os::Thread[settings.workers]);
    // Counted down by each worker that ends, and below by those never started.
    p.workers_ = settings.workers;
    while (p.threadCount_ < settings.workers && p.threads_[p.threadCount_].start(&Work, &p)) ++p.threadCount_;
    if (p.threadCount_ < settings.workers) {
        os::Lock lock(p.mutex_);
        p.workers_ -= settings.workers - p.threadCount_;  // the threads started carry the run
    }
    if (p.threadCount_ == 0) return nullptr;
    return pipeline;
}

Pipeline::~Pipeline() {
    {
        os::Lock lock(mutex_);
        stopping_ = true;
    }
    cancel_ = true;
    queued_.notifyAll();
    for (unsigned i = 0; i < threadCount_; ++i) threads_[i].join();
}

void Pipeline::advance(size_t position) {
    std::vector<Produced> dropped;
    size_t room;
    {
        os::Lock lock(mutex_);
        drop(position, dropped);
        room = window_ - slots_.size();  // only this thread changes the count
    }
    for (next_ = std::max(next_, leaveToWorkers_ ? position : position + 1); room > 0 && next_ < plan_.size();
         ++next_) {
        // Decided without the lock: it may look at the disk.
        os::Path folder;
        if (!work_.handOut(*plan_[next_].entry, *plan_[next_].span, folder)) continue;
        {
            os::Lock lock(mutex_);
            slots_.push_back(Slot{next_, std::move(folder), State::Queued, {}});
        }
        queued_.notifyOne();
        --room;
    }
}

std::optional<Produced> Pipeline::take(size_t position) {
    os::Lock lock(mutex_);
    for (;;) {
        const auto slot =
            std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return s.key == position; });
        if (slot == slots_.end()) return std::nullopt;
        if (slot->state == State::Running || (slot->state == State::Queued && leaveToWorkers_ && workers_ > 0)) {
            changed_.wait(lock);
            continue;
        }
        std::optional<Produced> made;
        if (slot->state == State::Made) made = std::move(slot->made);
        slots_.erase(slot);
        return made;
    }
}

void Pipeline::restart(size_t position) {
    std::vector<Produced> dropped;
    {
        os::Lock lock(mutex_);
        drop(SIZE_MAX, dropped);
        cancel_ = true;
        // A worker drops what it made for a slot that is gone before it counts itself out.
        changed_.wait(lock, [&] { return running_ == 0; });
        cancel_ = false;
    }
    dropped.clear();
    next_ = position + 1;  // the calling thread makes the entry at `position` itself
}

bool Pipeline::holdsFiles() {
    os::Lock lock(mutex_);
    return std::any_of(slots_.begin(), slots_.end(), [](const Slot& s) {
        return s.state == State::Running || (s.state == State::Made && s.made.file);
    });
}

void Pipeline::drop(size_t below, std::vector<Produced>& dropped) {
    // Slots are added in plan order, so the ones that go come first. A
    // running one's worker finds it gone and drops what it makes itself.
    size_t n = 0;
    for (; n < slots_.size() && slots_[n].key < below; ++n)
        if (slots_[n].state == State::Made) dropped.push_back(std::move(slots_[n].made));
    slots_.erase(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(n));
}

void Pipeline::work() {
    // Lets the calling thread know that this worker is gone, however it goes,
    // and wakes another for an entry still queued.
    struct Leaving {
        Pipeline& pipeline;
        ~Leaving() {
            {
                os::Lock lock(pipeline.mutex_);
                --pipeline.workers_;
                pipeline.changed_.notifyAll();
            }
            pipeline.queued_.notifyOne();
        }
    } leaving{*this};
    try {
        EntryReader reader;
        CancellableInput input(input_, cancel_);
        os::Lock lock(mutex_);
        for (;;) {
            auto slot = slots_.end();
            queued_.wait(lock, [&] {
                slot = std::find_if(slots_.begin(), slots_.end(),
                                    [](const Slot& s) { return s.state == State::Queued; });
                return stopping_ || slot != slots_.end();
            });
            if (stopping_) return;
            // Copied before the slot is marked: a copy that throws ends this
            // worker with the slot still queued, for another worker or the
            // calling thread, which would wait for ever on a running one.
            const os::Path folder = slot->folder;
            const size_t key = slot->key;
            slot->state = State::Running;
            ++running_;
            lock.unlock();
            std::optional<Produced> made;
            try {
                made = work_.produce(input, reader, *plan_[key].entry, plan_[key].span->limit, folder);
            } catch (...) {
                // The calling thread makes it instead, where a failure counts.
            }
            lock.lock();
            const auto mine = std::find_if(slots_.begin(), slots_.end(), [&](const Slot& s) { return s.key == key; });
            if (mine != slots_.end()) {
                mine->state = made ? State::Made : State::Withdrawn;
                if (made) mine->made = std::move(*made);
            } else if (made) {
                // Dropped meanwhile: its file goes before restart() may return.
                lock.unlock();
                made.reset();
                lock.lock();
            }
            --running_;
            changed_.notifyAll();
        }
    } catch (...) {
        // No reader to be had: the other workers, or the calling thread, make the entries.
    }
}

}  // namespace uz
