#include "halting_extraction.h"

#include <chrono>
#include <memory>
#include <thread>

#include "unzip32/extractor.h"
#include "unzip32/os/os.h"

namespace uztest {
namespace {

// The directory at the end is read first, then the entries from the start.
struct HaltingInput : uz::ArchiveInput {
    HaltingInput(uz::ArchiveInput& archive, const std::function<void()>& halted) : archive(archive), halted(halted) {}
    uint64_t size() const override { return archive.size(); }
    size_t readAt(uint64_t offset, uint8_t* buffer, size_t n) override {
        if (offset <= size() / 2 && size() / 2 < offset + n) {
            halted();
            for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
        }
        return archive.readAt(offset, buffer, n);
    }
    uz::ArchiveInput& archive;
    const std::function<void()>& halted;
};

}  // namespace

int32_t ExtractUntilHalfway(const UnzipOptionsRecord& options, const std::function<void()>& halted) {
    std::unique_ptr<uz::ArchiveInput> archive;
    if (!uz::os::OpenArchive(uz::os::PathFromAnsi(options.ZipFileName), archive).ok()) return UZ_NOT_FOUND;
    HaltingInput input(*archive, halted);
    return uz::Extractor(uz::DecodeOptions(options), uz::Callbacks{}, {}, {}).run(input, options.ZipFileName);
}

}  // namespace uztest
