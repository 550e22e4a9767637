// A worker that runs out of memory as it takes an entry leaves it to another
// worker or to the calling thread: the run ends as on one thread instead of
// waiting for ever. The program's allocations pass through here, and one of
// a chosen size on a worker thread fails once: the copy of the folder that
// an entry goes to, a size nothing else on a worker asks for first.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <new>
#include <thread>

#include "extractor_run.h"
#include "zip_builder.h"

namespace {

std::atomic<size_t> g_refusedSize{0};  // 0: none
std::atomic<std::thread::id> g_callingThread;

}  // namespace

void* operator new(size_t n) {
    const size_t refused = g_refusedSize.load();
    if (refused != 0 && n == refused && std::this_thread::get_id() != g_callingThread.load() &&
        g_refusedSize.compare_exchange_strong(n, 0))
        throw std::bad_alloc();
    if (void* p = std::malloc(n != 0 ? n : 1)) return p;
    throw std::bad_alloc();
}
// What the replaced operator new gave; the compiler cannot see that it was malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace uztest {
namespace {

// Before the first entry is handed out: the workers wait for it by then, and
// the one woken for it is the one that fails.
int32_t UZ_CALL ServiceAfterAPause(const char* name, int32_t length) {
    if (Rec().serviced.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return RecordingCallbacks().service(name, length);
}

TEST(WorkerMemory, AWorkerThatCannotTakeItsEntryLeavesItToOthers) {
    for (const unsigned workers : {1u, 2u}) {
        Scratch s;
        WriteFile(s / "a.zip", ZipBuilder().file("one", "1").file("two", "2").file("three", "3").build());
        // A destination path long enough to be copied to the heap.
        const fs::path dest = s / std::string(60, 'd');
        uz::RunSettings settings;
        settings.workers = workers;
        // One entry handed out at a time, and the calling thread waits for a
        // worker to make it: another worker must be woken for it.
        settings.window = 1;
        settings.leaveToWorkers = true;
        std::future<int32_t> run = std::async(std::launch::async, [&] {
            g_callingThread = std::this_thread::get_id();
            g_refusedSize = dest.string().size() + 1;
            UnzipCallbackRecord callbacks = RecordingCallbacks();
            callbacks.service = ServiceAfterAPause;
            Rec().serviced.clear();
            return RunExtractor(s / "a.zip", dest, settings, Call::InstallerOptions(), callbacks);
        });
        if (run.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << workers << " workers: the run waits for ever";
            std::_Exit(1);  // its thread cannot be joined
        }
        EXPECT_EQ(run.get(), UZ_OK) << workers << " workers";
        EXPECT_EQ(g_refusedSize, 0u) << workers << " workers: no worker copied the folder";
        EXPECT_EQ(Tree(dest), (std::map<std::string, std::string>{{"one", "1"}, {"two", "2"}, {"three", "3"}}));
    }
}

}  // namespace
}  // namespace uztest
