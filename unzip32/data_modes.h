// The modes that read entries without writing files: testing checks each
// entry's data and sends it nowhere; printing sends it to the print callback.
#pragma once

#include "entry_step.h"

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
    using DataMode::DataMode;
    int32_t entry(const Entry& entry, const EntrySpan& span) override;
};

class PrintMode final : public DataMode {
public:
    using DataMode::DataMode;
    int32_t entry(const Entry& entry, const EntrySpan& span) override;
};

}  // namespace uz
