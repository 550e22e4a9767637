// How a run is carried out beyond what its options record says: the threads
// it may use to read entries ahead of the calling thread (pipeline.h), and
// where its files are written. The library takes DefaultRunSettings(); tests
// drive the extractor with settings of their own (one thread against many, a
// tiny window, write failures injected through `createOutput`).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "unzip32/os/os.h"

namespace uz {

struct RunSettings {
    // Threads that read, inflate, check and write entries ahead of the
    // calling thread; 0: the calling thread does everything.
    unsigned workers = 0;
    // Entries handed out ahead of the calling thread at most: with the
    // workers' fixed buffers, what bounds the memory a run takes.
    size_t window = 0;
    // Runs whose selected entries hold less data than this (or only one entry
    // with data) stay on the calling thread: starting threads would cost more
    // than it saves.
    uint64_t fromBytes = 0;
    // Tests: the calling thread hands out every entry it may, its own turn's
    // included, and waits for a worker to make it rather than making it
    // itself; a run with one entry of data is worth threads too.
    bool leaveToWorkers = false;
    // Where output files come from; any thread calls it.
    os::Status (*createOutput)(const os::Path& folder, std::unique_ptr<os::OutputFile>& file) = os::CreateOutputFile;
};

// The settings the library's entry points run with. Three builds of the
// library each link one definition: run_settings.cpp (from the machine's
// cores; what ships and what the library's other users link),
// run_settings_eager.cpp and run_settings_one_thread.cpp (unzip32/CMakeLists.txt).
RunSettings DefaultRunSettings();

}  // namespace uz
