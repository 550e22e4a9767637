#include "data_modes.h"

#include "sinks.h"

namespace uz {

int32_t TestMode::entry(const Entry& entry, const EntrySpan& span) {
    std::optional<EntryData> data = step_.admitAndOpen(entry, span);
    if (!data) return UZ_OK;
    NullSink sink;
    const DataOutcome r = step_.read(entry, *data, sink);
    if (r.error != DataError::None) {
        step_.dataFailed(entry.name, r, *data);
        return UZ_OK;
    }
    run_.reporter.message(run_.info(), "    testing: " + entry.name + "   OK");
    run_.outcome.fileDone();
    return UZ_OK;
}

int32_t PrintMode::entry(const Entry& entry, const EntrySpan& span) {
    std::optional<EntryData> data = step_.admitAndOpen(entry, span);
    if (!data) return UZ_OK;
    PrintSink sink(run_.reporter, run_.options.convertLineEnds, (entry.internalAttributes & zip::kInternalText) != 0);
    const DataOutcome r = step_.read(entry, *data, sink);
    sink.finish();
    run_.reporter.endData();
    if (r.error != DataError::None) step_.dataFailed(entry.name, r, *data);
    else run_.outcome.fileDone();
    return UZ_OK;
}

}  // namespace uz
