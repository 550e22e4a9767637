// The modes that read entries without writing files: testing checks each
// entry's data and sends it nowhere; printing sends it to the print callback.
// Testing may check entries on worker threads ahead of their turn
// (pipeline.h); what it reports comes in archive order all the same.
#pragma once

#include <memory>
#include <vector>

#include "unzip32/run/entry_step.h"
#include "unzip32/run/pipeline.h"

namespace uz {

class DataMode : public ModeHandler {
public:
    DataMode(RunContext& run, EntryStep& step) : run_(run), step_(step) {}
    int32_t finish(bool) override { return UZ_OK; }

protected:
    RunContext& run_;
    EntryStep& step_;
};

class TestMode final : public DataMode {
public:
    // `ahead`: the run's entries when workers are to check them ahead of their turn.
    TestMode(RunContext& run, EntryStep& step, const std::vector<Selected>* ahead);
    int32_t entry(size_t position, const Entry& entry, const EntrySpan& span) override;

private:
    // Workers' part (pipeline.h).
    bool handOut(const Entry& entry, const EntrySpan& span, os::Path& folder) override;
    std::optional<Produced> produce(ArchiveInput& input, EntryReader& reader, const Entry& entry, uint64_t limit,
                                    const os::Path& folder) const override;

    std::unique_ptr<Pipeline> pipeline_;
};

class PrintMode final : public DataMode {
public:
    using DataMode::DataMode;
    int32_t entry(size_t position, const Entry& entry, const EntrySpan& span) override;
};

}  // namespace uz
