// An output stage that overlaps writing with inflating: the reading thread
// fills fixed buffers and queues them; a second thread computes the CRC of
// each and passes it to the sink (a file), then hands the buffer back. The
// queue is bounded by the buffers, so memory stays fixed whatever the entry
// size. The sink is called only on the writer thread and only until finish()
// returns; callbacks are never called from there.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>

#include "unzip32/data/output_stage.h"
#include "unzip32/os/os_threads.h"

namespace uz {

class WriterThread final : public OutputStage {
public:
    static constexpr size_t kBuffers = 4;
    static constexpr size_t kBufferSize = 256 * 1024;

    // Starts the thread; running() says whether the system gave one, and
    // without it the stage must not be used.
    explicit WriterThread(EntrySink& sink);
    bool running() const { return running_; }
    // Stops the thread, dropping output not yet written, and waits for it.
    ~WriterThread() override;
    WriterThread(const WriterThread&) = delete;
    WriterThread& operator=(const WriterThread&) = delete;

    OutputRoom room() override;
    bool deliver(size_t n) override;
    bool finish(uint32_t& crc) override;

private:
    static void Work(void* self) { static_cast<WriterThread*>(self)->work(); }
    void work();
    void rethrowFailure();  // with the lock held

    EntrySink& sink_;
    std::unique_ptr<uint8_t[]> memory_;

    // Buffers go round in order: the reader fills buffer (delivered_ %
    // kBuffers), the writer empties buffer (written_ % kBuffers).
    os::Mutex mutex_;
    os::Condition wake_writer_, wake_reader_;
    size_t sizes_[kBuffers] = {};
    uint64_t delivered_ = 0, written_ = 0;
    uint32_t crc_ = 0;
    bool failed_ = false;
    bool stopping_ = false;
    std::exception_ptr exception_;  // thrown by the sink, rethrown on the reading thread

    os::Thread thread_;  // last: starts once everything above is ready
    bool running_;
};

}  // namespace uz
