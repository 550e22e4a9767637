// What the modes of a run (extract, test, print, list) share: the options and
// callbacks, the messages, the tally of results, the interface of a mode, and
// the step that every mode but listing takes with an entry before its own:
// admitting it, then finding its data and the keys to it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "archive_input.h"
#include "entry.h"
#include "entry_reader.h"
#include "entry_spans.h"
#include "messages.h"
#include "options.h"
#include "outcome.h"
#include "password_flow.h"
#include "zip_crypto.h"

namespace uz {

struct RunContext {
    const Options& options;
    const Callbacks& callbacks;
    Reporter& reporter;
    Outcome& outcome;

    // Per-entry progress: shown at MessageLevel 0, and at 1 too with Verbose.
    MessageClass info() const { return options.verbose ? MessageClass::Notice : MessageClass::Info; }
    // A failure of one entry: printed, and counted toward the result.
    void error(int32_t code, const std::string& text) const {
        reporter.message(MessageClass::Error, text);
        outcome.fail(code);
    }
};

// What one mode does with each selected entry, in directory order.
class ModeHandler {
public:
    virtual ~ModeHandler() = default;
    // A non-zero result ends the run with that code.
    virtual int32_t entry(const Entry& entry, const EntrySpan& span) = 0;
    // After the last entry (`complete`) or before the run ends early. A
    // non-zero result ends the run with that code.
    virtual int32_t finish(bool complete) = 0;
};

// Where an entry's stored bytes are and the keys to them: plain data, found
// on the calling thread (it may ask for a password), enough for any thread
// to read the entry.
struct EntryData {
    uint64_t offset = 0;      // first stored byte after any encryption header
    uint64_t storedSize = 0;  // without the encryption header
    std::optional<ZipCrypto> keys;  // for an encrypted entry, ready for its first byte
};

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
