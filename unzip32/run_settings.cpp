#include "run_settings.h"

#include <algorithm>

#include "os_threads.h"

namespace uz {
namespace {

// Each worker holds an entry reader's buffers (384 KiB): four keep a run's
// peak memory within a few MiB on any machine.
constexpr unsigned kMostInflating = 4;
#ifdef _WIN32
// Creating and closing files waits there on the disk and on virus scanners
// rather than on the CPU.
constexpr unsigned kFileCreators = 2;
#else
constexpr unsigned kFileCreators = 0;
#endif

}  // namespace

RunSettings DefaultRunSettings() {
    RunSettings settings;
#if defined(UNZIP32_EAGER_PIPELINE)
    // Test builds of the library: every entry that may goes through the
    // pipeline, on any machine, with a window small enough to fill.
    settings.workers = 3;
    settings.window = 2;
    settings.leaveToWorkers = true;
#elif defined(UNZIP32_ONE_THREAD)
    // Builds that tests and benchmarks hold the pipeline against: the calling
    // thread alone.
#else
    // One core: the calling thread alone.
    if (const unsigned cores = os::CoreCount(); cores >= 2)
        settings.workers = std::min(cores, kMostInflating) + kFileCreators;
    settings.window = 16;
    settings.fromBytes = 1 << 20;
#endif
    return settings;
}

}  // namespace uz
