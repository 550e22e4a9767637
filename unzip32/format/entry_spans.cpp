#include "unzip32/format/entry_spans.h"

#include <algorithm>
#include <numeric>

namespace uz {

std::vector<EntrySpan> MapEntrySpans(const ArchiveIndex& index) {
    const auto& entries = index.entries;
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    // Entries sharing a header keep their directory order (the first is the
    // original); the index breaks the tie as a stable sort would, with less
    // code in the programs that carry this.
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const uint64_t x = entries[a].localHeaderOffset, y = entries[b].localHeaderOffset;
        return x < y || (x == y && a < b);
    });
    std::vector<EntrySpan> spans(entries.size(), EntrySpan{index.directoryOffset, false});
    uint64_t nextGreater = index.directoryOffset;
    for (size_t k = order.size(); k-- > 0;) {
        const uint64_t offset = entries[order[k]].localHeaderOffset;
        if (k + 1 < order.size() && entries[order[k + 1]].localHeaderOffset > offset)
            nextGreater = entries[order[k + 1]].localHeaderOffset;
        spans[order[k]].limit = std::min(nextGreater, index.directoryOffset);
        if (k > 0 && entries[order[k - 1]].localHeaderOffset == offset) spans[order[k]].duplicate = true;
    }
    return spans;
}

}  // namespace uz
