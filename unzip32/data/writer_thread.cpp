#include "unzip32/data/writer_thread.h"

#include <zlib.h>

#include <utility>

namespace uz {

WriterThread::WriterThread(EntrySink& sink)
    : sink_(sink), memory_(new uint8_t[kBuffers * kBufferSize]), running_(thread_.start(&Work, this)) {}

WriterThread::~WriterThread() {
    {
        os::Lock lock(mutex_);
        stopping_ = true;
    }
    wake_writer_.notifyOne();
    thread_.join();
}

OutputRoom WriterThread::room() {
    os::Lock lock(mutex_);
    // The buffer after the last delivered one is free once the writer is done
    // with it (after a failure the writer only hands buffers back).
    wake_reader_.wait(lock, [&] { return delivered_ - written_ < kBuffers; });
    return {memory_.get() + (delivered_ % kBuffers) * kBufferSize, kBufferSize};
}

bool WriterThread::deliver(size_t n) {
    {
        os::Lock lock(mutex_);
        rethrowFailure();
        if (failed_) return false;
        sizes_[delivered_ % kBuffers] = n;
        ++delivered_;
    }
    wake_writer_.notifyOne();
    return true;
}

bool WriterThread::finish(uint32_t& crc) {
    os::Lock lock(mutex_);
    wake_reader_.wait(lock, [&] { return written_ == delivered_; });
    rethrowFailure();
    crc = crc_;
    return !failed_;
}

void WriterThread::rethrowFailure() {
    if (exception_) std::rethrow_exception(std::exchange(exception_, nullptr));
}

void WriterThread::work() {
    uint32_t crc = 0;
    os::Lock lock(mutex_);
    for (;;) {
        wake_writer_.wait(lock, [&] { return stopping_ || written_ < delivered_; });
        if (stopping_) return;
        const size_t slot = written_ % kBuffers;
        const size_t n = sizes_[slot];
        const bool skip = failed_;
        lock.unlock();
        bool ok = true;
        std::exception_ptr thrown;
        if (!skip) {
            const uint8_t* data = memory_.get() + slot * kBufferSize;
            crc = static_cast<uint32_t>(crc32_z(crc, data, n));
            try {
                ok = sink_.consume(data, n);
            } catch (...) {
                ok = false;
                thrown = std::current_exception();
            }
        }
        lock.lock();
        ++written_;
        crc_ = crc;
        if (!ok) failed_ = true;
        if (thrown) exception_ = thrown;
        wake_reader_.notifyOne();
    }
}

}  // namespace uz
