// A worker that runs out of memory as it takes an entry leaves it to another
// worker or the calling thread, which would otherwise wait for ever. Every
// allocation of the program passes through here; one of a chosen size off the
// calling thread fails once: the copy of the folder the entry goes to, a size
// nothing else on a worker asks for first.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <thread>

#include "extractor_run.h"
#include "zip_builder.h"

namespace {
std::atomic<size_t> g_refusedSize{0};
std::atomic<std::thread::id> g_callingThread;
}  // namespace

void* operator new(size_t n) {
    size_t refused = n;
    if (n > 1 && std::this_thread::get_id() != g_callingThread.load() && g_refusedSize.compare_exchange_strong(refused, 0))
        throw std::bad_alloc();
    if (void* p = std::malloc(n != 0 ? n : 1)) return p;
    throw std::bad_alloc();
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"  // it was malloc's
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace uztest {
namespace {

// By the first entry's turn the workers wait for it: the one woken fails.
int32_t UZ_CALL ServiceAfterAPause(const char* name, int32_t length) {
    if (Rec().serviced.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return RecordingCallbacks().service(name, length);
}

TEST(WorkerMemory, AWorkerThatCannotTakeItsEntryLeavesItToOthers) {
    for (const unsigned workers : {1u, 2u}) {
        Scratch s;
        WriteFile(s / "a.zip", ZipBuilder().file("one", "1").file("two", "2").build());
        const fs::path dest = s / std::string(60, 'd');  // long enough for the heap
        uz::RunSettings settings;
        settings.workers = workers;
        settings.window = 1;
        settings.leaveToWorkers = true;  // the calling thread waits for a worker
        UnzipCallbackRecord callbacks = RecordingCallbacks();
        callbacks.service = ServiceAfterAPause;
        Rec().serviced.clear();
        std::future<int32_t> run = std::async(std::launch::async, [&] {
            g_callingThread = std::this_thread::get_id();
            g_refusedSize = dest.string().size() + 1;
            return RunExtractor(s / "a.zip", dest, settings, Call::InstallerOptions(), callbacks);
        });
        if (run.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << workers << " workers: the run waits for ever";
            std::_Exit(1);  // its thread cannot be joined
        }
        EXPECT_EQ(run.get(), UZ_OK) << workers;
        EXPECT_EQ(g_refusedSize, 0u) << workers << " workers: no worker copied the folder";
        EXPECT_EQ(Tree(dest), (std::map<std::string, std::string>{{"one", "1"}, {"two", "2"}}));
    }
}

}  // namespace
}  // namespace uztest
