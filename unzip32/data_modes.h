// The modes that read entries without writing files: testing checks each
// entry's data and sends it nowhere; printing sends it to the print callback.
#pragma once

#include "entry_step.h"

namespace uz {

class TestMode final : public ModeHandler {
public:
    TestMode(RunContext& run, EntryStep& step) : run_(run), step_(step) {}
    int32_t entry(const Entry& entry, const EntrySpan& span) override;
    void finish(bool) override {}

private:
    RunContext& run_;
    EntryStep& step_;
};

class PrintMode final : public ModeHandler {
public:
    PrintMode(RunContext& run, EntryStep& step) : run_(run), step_(step) {}
    int32_t entry(const Entry& entry, const EntrySpan& span) override;
    void finish(bool) override {}

private:
    RunContext& run_;
    EntryStep& step_;
};

}  // namespace uz
