// Where each entry's data may lie. It must end before the next local header
// (by offset) or the central directory, and no two entries may share a local
// header, so that entries overlapping on purpose cannot multiply the output.
#pragma once

#include <cstdint>
#include <vector>

#include "unzip32/format/central_directory.h"

namespace uz {

struct EntrySpan {
    uint64_t limit = 0;      // the entry's local header and data end here at the latest
    bool duplicate = false;  // its local header belongs to an entry before it in the directory
};

// One span per entry of `index`, in directory order.
std::vector<EntrySpan> MapEntrySpans(const ArchiveIndex& index);

}  // namespace uz
