#include "unzip32/modes/data_modes.h"

#include "unzip32/data/sinks.h"

namespace uz {
namespace {

// The print mode's output: the print callback, through the run's messages.
class PrintSink : public ConvertingSink {
public:
    PrintSink(Reporter& reporter, bool convert, bool markedText) : ConvertingSink(convert, markedText), reporter_(reporter) {}

private:
    bool put(const uint8_t* data, size_t n) override {
        reporter_.data(std::string_view(reinterpret_cast<const char*>(data), n));
        return true;
    }
    Reporter& reporter_;
};

}  // namespace

TestMode::TestMode(RunContext& run, EntryStep& step, const std::vector<Selected>* ahead) : DataMode(run, step) {
    if (ahead) pipeline_ = Pipeline::Start(step.input(), *this, *ahead, run.settings);
}

int32_t TestMode::entry(size_t position, const Entry& entry, const EntrySpan& span) {
    if (pipeline_) pipeline_->advance(position);
    std::optional<EntryData> data = step_.admitAndOpen(entry, span);
    if (!data) return UZ_OK;
    DataOutcome r;
    if (std::optional<Produced> early = pipeline_ ? pipeline_->take(position) : std::nullopt) {
        r = std::move(early->data);
    } else {
        NullSink sink;
        r = step_.read(entry, *data, sink);
    }
    if (r.error != DataError::None) {
        step_.dataFailed(entry.name, r, *data);
        return UZ_OK;
    }
    run_.reporter.message(run_.info(), "    testing: " + entry.name + "   OK");
    run_.outcome.fileDone();
    return UZ_OK;
}

bool TestMode::handOut(const Entry& entry, const EntrySpan& span, os::Path&) { return step_.plainData(entry, span); }

std::optional<Produced> TestMode::produce(ArchiveInput& input, EntryReader& reader, const Entry& entry,
                                          uint64_t limit, const os::Path&) const {
    const std::optional<EntryData> data = LocatePlainData(input, entry, limit);
    if (!data) return std::nullopt;
    NullSink sink;
    Produced out;
    out.data = reader.read(input, entry, data->offset, data->storedSize, nullptr, sink);
    return out;
}

int32_t PrintMode::entry(size_t, const Entry& entry, const EntrySpan& span) {
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
