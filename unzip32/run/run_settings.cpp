// The shipped library's settings: worker threads from the machine's cores.
// (run_settings_eager.cpp and run_settings_one_thread.cpp are the test and
// benchmark builds' own; each library links exactly one of the three.)
#include "unzip32/run/run_settings.h"

#include <algorithm>

#include "unzip32/os/os_threads.h"

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
    // One core: the calling thread alone.
    if (const unsigned cores = os::CoreCount(); cores >= 2)
        settings.workers = std::min(cores, kMostInflating) + kFileCreators;
    settings.window = 16;
    settings.fromBytes = 1 << 20;
    return settings;
}

}  // namespace uz
