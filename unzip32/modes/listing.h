// Listing mode: each entry through the listing callback and, with Verbose, as
// a row of a fixed-width table printed through the print callback, with a
// totals line at the end.
#pragma once

#include <cstdint>
#include <string>

#include "unzip32/run/entry_step.h"

namespace uz {

class ListMode final : public ModeHandler {
public:
    explicit ListMode(RunContext& run) : run_(run) {}
    int32_t entry(size_t position, const Entry& entry, const EntrySpan& span) override;
    int32_t finish(bool complete) override;

private:
    RunContext& run_;
    uint64_t totalSize_ = 0, totalCompressed_ = 0, listed_ = 0;
};


// The share of `size` that compression saved, in whole percent; 0 when the
// entry grew. Exact for any sizes.
uint32_t Ratio(uint64_t size, uint64_t compressed);

}  // namespace uz
