// What the modes of a run (extract, test, print, list) share: the options and
// callbacks, the messages, the tally of results, the interface of a mode, and
// the step that every mode but listing takes with an entry before its own:
// admitting it, then finding its data and the keys to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "unzip32/data/entry_reader.h"
#include "unzip32/format/archive_input.h"
#include "unzip32/format/entry.h"
#include "unzip32/format/entry_spans.h"
#include "unzip32/format/zip_crypto.h"
#include "unzip32/run/messages.h"
#include "unzip32/run/options.h"
#include "unzip32/run/outcome.h"
#include "unzip32/run/password_flow.h"
#include "unzip32/run/pipeline.h"
#include "unzip32/run/run_settings.h"

namespace uz {

struct RunContext {
    const Options& options;
    const Callbacks& callbacks;
    Reporter& reporter;
    Outcome& outcome;
    const RunSettings& settings;

    // Per-entry progress: shown at MessageLevel 0, and at 1 too with Verbose.
    MessageClass info() const { return options.verbose ? MessageClass::Notice : MessageClass::Info; }
    // A failure of one entry: printed, and counted toward the result.
    void error(int32_t code, const std::string& text) const {
        reporter.message(MessageClass::Error, text);
        outcome.fail(code);
    }
};

// What one mode does with each selected entry, in directory order. A mode
// that lets workers make entries ahead of their turn (pipeline.h) overrides
// handOut() and produce(); the others hand out nothing.
class ModeHandler : public AheadWork {
public:
    virtual ~ModeHandler() = default;
    // The entry at `position` among the selected ones. A non-zero result ends
    // the run with that code.
    virtual int32_t entry(size_t position, const Entry& entry, const EntrySpan& span) = 0;
    // After the last entry (`complete`) or before the run ends early. A
    // non-zero result ends the run with that code.
    virtual int32_t finish(bool complete) = 0;

    bool handOut(const Entry&, const EntrySpan&, os::Path&) override { return false; }
    std::optional<Produced> produce(ArchiveInput&, EntryReader&, const Entry&, uint64_t,
                                    const os::Path&) const override {
        return std::nullopt;
    }
};

// Where an entry's stored bytes are and the keys to them: plain data, found
// on the calling thread (it may ask for a password), enough for any thread
// to read the entry.
struct EntryData {
    uint64_t offset = 0;      // first stored byte after any encryption header
    uint64_t storedSize = 0;  // without the encryption header
    std::optional<ZipCrypto> keys;  // for an encrypted entry, ready for its first byte
};

// Where an unencrypted entry's stored bytes are, from its local header
// (limited by `limit`); nothing when the header is wrong. Any thread: reports
// nothing (EntryStep::open() reports the same failure in its turn).
std::optional<EntryData> LocatePlainData(ArchiveInput& input, const Entry& entry, uint64_t limit);

class EntryStep {
public:
    EntryStep(RunContext& run, ArchiveInput& input, PasswordFlow& passwords)
        : run_(run), input_(input), passwords_(passwords) {}

    enum class Admission { Folder, Data, Skipped };
    // Folders have no data to read. Entries that share their data with
    // another or use a method or encryption we lack are reported and skipped.
    Admission admit(const Entry& entry, bool duplicate);
    // Reads the local header and, for an encrypted entry, finds a password
    // (asking the caller); reports why not and gives nothing.
    std::optional<EntryData> open(const Entry& entry, uint64_t limit);
    // Both, for the modes that decide nothing in between.
    std::optional<EntryData> admitAndOpen(const Entry& entry, const EntrySpan& span);
    // Whether admit() would take the entry as data, reporting nothing, and it
    // needs no password: what another thread may read without asking.
    bool plainData(const Entry& entry, const EntrySpan& span) const;

    ArchiveInput& input() { return input_; }
    EntryReader& reader() { return reader_; }

    DataOutcome read(const Entry& entry, EntryData& data, OutputStage& stage);
    DataOutcome read(const Entry& entry, EntryData& data, EntrySink& sink);
    // Reports a data error of the entry shown as `shownName`.
    void dataFailed(const std::string& shownName, const DataOutcome& outcome, const EntryData& data);

private:
    std::string unsupportedReason(const Entry& entry) const;

    RunContext& run_;
    ArchiveInput& input_;
    PasswordFlow& passwords_;
    EntryReader reader_;
};

}  // namespace uz
