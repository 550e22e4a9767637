// The entry reader with its output written on a second thread: the output and
// the outcome are those of the reader that writes on its own thread, failures
// of the sink included, and nothing of the sink runs after it failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>

#include "unzip32/data/entry_reader.h"
#include "unzip32/data/writer_thread.h"
#include "zip_builder.h"

namespace uztest {
namespace {

// Keeps what it is given; refuses (or throws) at call `failAt` (0-based).
class ScriptedSink : public uz::EntrySink {
public:
    explicit ScriptedSink(int failAt = -1, bool throws = false) : failAt_(failAt), throws_(throws) {}
    bool consume(const uint8_t* data, size_t n) override {
        const int call = calls++;
        if (call == failAt_) {
            if (throws_) throw std::bad_alloc();
            return false;
        }
        received.append(reinterpret_cast<const char*>(data), n);
        return true;
    }
    std::atomic<int> calls{0};
    std::string received;

private:
    int failAt_;
    bool throws_;
};

// An entry as the reader sees it, with its stored bytes in memory.
struct Stored {
    uz::Entry entry;
    std::string bytes;
};
Stored Make(const std::string& data, uint16_t method) {
    Stored s;
    s.entry.method = method;
    s.entry.size = data.size();
    s.entry.crc = Crc(data);
    s.bytes = method == 8 ? RawDeflate(data) : data;
    s.entry.compressedSize = s.bytes.size();
    return s;
}

uz::DataOutcome ReadThreaded(const Stored& s, uz::EntrySink& sink) {
    uz::MemoryInput input(s.bytes);
    uz::EntryReader reader;
    uz::WriterThread writer(sink);
    return reader.read(input, s.entry, 0, s.entry.compressedSize, nullptr, writer);
}

uz::DataOutcome ReadDirect(const Stored& s, uz::EntrySink& sink) {
    uz::MemoryInput input(s.bytes);
    uz::EntryReader reader;
    return reader.read(input, s.entry, 0, s.entry.compressedSize, nullptr, sink);
}

const std::string& Large() {
    static const std::string data = MixedData(3 * uz::WriterThread::kBuffers * uz::WriterThread::kBufferSize + 1234);
    return data;
}

struct Damage {
    const char* label;
    uint16_t method;
    void (*spoil)(Stored&);
    uz::DataError error;
};
void PrintTo(const Damage& d, std::ostream* os) { *os << d.label; }

const Damage kDamages[] = {
    {"Intact", 8, [](Stored&) {}, uz::DataError::None},
    {"IntactStored", 0, [](Stored&) {}, uz::DataError::None},
    {"BadCrc", 8, [](Stored& s) { s.entry.crc ^= 1; }, uz::DataError::BadCrc},
    {"BadCrcStored", 0, [](Stored& s) { s.entry.crc ^= 1; }, uz::DataError::BadCrc},
    {"DeclaredShorter", 8, [](Stored& s) { s.entry.size -= 5000; }, uz::DataError::TooLong},
    {"DeclaredLonger", 8, [](Stored& s) { s.entry.size += 5000; }, uz::DataError::TooShort},
    {"StreamCutShort", 8,
     [](Stored& s) {
         s.bytes.resize(s.bytes.size() * 2 / 3);
         s.entry.compressedSize = s.bytes.size();
     },
     uz::DataError::Corrupt},
    {"StoredCutShort", 0,
     [](Stored& s) { s.bytes.resize(s.bytes.size() - 10); }, uz::DataError::Truncated},
    {"GarbageMidStream", 8,
     [](Stored& s) { s.bytes.replace(s.bytes.size() / 2, 64, std::string(64, '\xff')); }, uz::DataError::TooLong},
};

class ThreadedRead : public ::testing::TestWithParam<Damage> {};

TEST_P(ThreadedRead, SameOutputAndOutcomeAsOnOneThread) {
    const Damage& d = GetParam();
    Stored s = Make(Large(), d.method);
    d.spoil(s);
    ScriptedSink direct, threaded;
    const uz::DataOutcome expected = ReadDirect(s, direct);
    const uz::DataOutcome got = ReadThreaded(s, threaded);
    EXPECT_EQ(expected.error, d.error) << expected.detail;
    EXPECT_EQ(got.error, d.error) << got.detail;
    EXPECT_EQ(got.detail, expected.detail);
    // Whole output, or on failure one of the two a start of the other
    // (they may stop at different points).
    if (d.error == uz::DataError::None) {
        EXPECT_TRUE(threaded.received == Large());
    } else {
        const size_t common = std::min(threaded.received.size(), direct.received.size());
        EXPECT_TRUE(threaded.received.compare(0, common, direct.received, 0, common) == 0);
    }
}

// A sink that fails on output before the data turns out bad is what is
// reported: its failure came first.
TEST_P(ThreadedRead, SinkFailureComesFirst) {
    const Damage& d = GetParam();
    Stored s = Make(Large(), d.method);
    d.spoil(s);
    for (int failAt : {0, 1, 4}) {
        ScriptedSink direct(failAt), threaded(failAt);
        EXPECT_EQ(ReadDirect(s, direct).error, uz::DataError::SinkFailed) << failAt;
        EXPECT_EQ(ReadThreaded(s, threaded).error, uz::DataError::SinkFailed) << failAt;
        // Nothing more was written after the refusal.
        EXPECT_EQ(threaded.calls, failAt + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(All, ThreadedRead, ::testing::ValuesIn(kDamages),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(WriterThread, ExceptionOfTheSinkReachesTheReadingThread) {
    const Stored s = Make(Large(), 8);
    ScriptedSink sink(2, true);
    EXPECT_THROW(ReadThreaded(s, sink), std::bad_alloc);
    EXPECT_EQ(sink.calls, 3);
}

// Holds its first call until let go, so that the writer is destroyed with
// that buffer in the sink and the others queued behind it.
class HeldSink : public uz::EntrySink {
public:
    bool consume(const uint8_t* data, size_t n) override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (calls_++ == 0) {
            entered_ = true;
            changed_.notify_all();
            changed_.wait_for(lock, std::chrono::seconds(60), [this] { return released_; });
        }
        received.append(reinterpret_cast<const char*>(data), n);
        return true;
    }
    bool WaitUntilEntered() {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return entered_; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    int calls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    std::string received;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
    bool entered_ = false, released_ = false;
};

TEST(WriterThread, DestroyedUnfinishedWithOutputQueued) {
    // Stops without waiting for what is queued; what reached the sink is
    // whole buffers, in order, the one in the sink when it stopped included.
    HeldSink sink;
    {
        uz::WriterThread writer(sink);
        for (size_t i = 0; i < uz::WriterThread::kBuffers; ++i) {
            const uz::OutputRoom room = writer.room();
            ASSERT_EQ(room.size, uz::WriterThread::kBufferSize);
            std::memset(room.data, 'a' + static_cast<int>(i), room.size);
            ASSERT_TRUE(writer.deliver(room.size));
            if (i == 0) {
                ASSERT_TRUE(sink.WaitUntilEntered());
            }
        }
        sink.Release();
    }
    ASSERT_GE(sink.calls(), 1);
    std::string expected;
    for (int i = 0; i < sink.calls(); ++i) expected += std::string(uz::WriterThread::kBufferSize, static_cast<char>('a' + i));
    EXPECT_EQ(sink.received, expected);
}

}  // namespace
}  // namespace uztest
