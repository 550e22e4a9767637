#include "unzip32/modes/extraction.h"

#include <optional>

#include "unzip32/data/sinks.h"
#include "unzip32/data/writer_thread.h"
#include "unzip32/os/temporary_names.h"

namespace uz {
namespace {

constexpr size_t kMaxLinkTarget = 4096;
// Entries at least this large are written on a second thread.
constexpr uint64_t kOverlapFrom = 1024 * 1024;

std::string JoinComponents(const std::vector<std::string>& components) {
    std::string out;
    for (size_t i = 0; i < components.size(); ++i) {
        if (i) out += '/';
        out += components[i];
    }
    return out;
}

// The entry's time as seconds since 1970: its extended or NTFS time when it
// has one, else the MS-DOS fields read as local time; -1 when unknown.
int64_t EntryTime(const Entry& e) {
    if (e.mtime) return *e.mtime;
    const DosFields f = SplitDos(e.dosDate, e.dosTime);
    if (!f.valid) return -1;
    return os::LocalDosTimeToUnix(f.year, f.month, f.day, f.hour, f.minute, f.second);
}

// Why a file entry's path is refused; empty when it is not.
std::string Refusal(const SafePath& path) {
    if (path.refused()) return path.refusal;
    if (path.components.empty()) return "its name is empty";
    // A later extraction would take such a file for a leftover and remove it.
    if (IsTemporaryName(path.components.back())) return "its name is that of a temporary file";
    return {};
}

std::string DiskFullText(OutputStep step, const std::string& shown) {
    switch (step) {
    case OutputStep::Create: return "error: disk full, cannot create " + shown;
    case OutputStep::Write: return "error: disk full while writing " + shown + "; the partial file was removed";
    default: return "error: disk full while writing " + shown;
    }
}

std::string FailureText(OutputStep step, const std::string& shown) {
    switch (step) {
    case OutputStep::Create: return "error: cannot create " + shown;
    case OutputStep::Commit: return "error: cannot put " + shown + " in place";
    default: return "error: cannot write " + shown;
    }
}

// The entry's data into a new file in `folder`, on any thread: calls back
// nothing, prints nothing. `overlap`: written on a second thread while this
// one inflates, which pays for large entries only.
Produced ProduceFile(ArchiveInput& input, EntryReader& reader, const Entry& entry, EntryData& data,
                     const os::Path& folder, const RunContext& run, bool overlap) {
    Produced out;
    out.folder = folder;
    out.status = run.settings.createOutput(folder, out.file);
    if (!out.status.ok()) {
        out.failedAt = OutputStep::Create;
        return out;
    }
    FileSink sink(*out.file, run.options.convertLineEnds, (entry.internalAttributes & zip::kInternalText) != 0);
    ZipCrypto* keys = data.keys ? &*data.keys : nullptr;
    std::optional<WriterThread> writer;
    if (overlap) writer.emplace(sink);
    if (writer && !writer->running()) writer.reset();  // no thread to be had: written on this one
    out.data = writer ? reader.read(input, entry, data.offset, data.storedSize, keys, *writer)
                      : reader.read(input, entry, data.offset, data.storedSize, keys, sink);
    writer.reset();
    if (out.data.error == DataError::None && !sink.finish()) out.data.error = DataError::SinkFailed;
    if (out.data.error == DataError::SinkFailed) {
        out.failedAt = OutputStep::Write;
        out.status = sink.status();
    }
    if (out.data.error != DataError::None) out.file.reset();  // removes the partial file
    return out;
}

}  // namespace

ExtractMode::ExtractMode(RunContext& run, EntryStep& step, os::Path root, const std::vector<Selected>* ahead)
    : run_(run), step_(step), policy_(run.options, run.callbacks.replace), tree_(run, std::move(root)),
      umask_(os::Umask()) {
    rules_.windows = os::WindowsNameRules();
    rules_.spaceToUnderscore = run.options.spaceToUnderscore;
    rules_.flatten = !run.options.honorDirectories;
    tree_.whenFull([this] { return dropMadeAhead(); });
    if (ahead) pipeline_ = Pipeline::Start(step.input(), *this, *ahead, run.settings);
}

int32_t ExtractMode::entry(size_t position, const Entry& entry, const EntrySpan& span) {
    position_ = position;
    if (pipeline_) pipeline_->advance(position);
    switch (step_.admit(entry, span.duplicate)) {
    case EntryStep::Admission::Folder: return makeFolderEntry(entry);
    case EntryStep::Admission::Skipped: return UZ_OK;
    case EntryStep::Admission::Data: break;
    }
    std::optional<Placement> place;
    if (const int32_t fatal = decide(entry, place); fatal != UZ_OK || !place) return fatal;
    std::optional<EntryData> data = step_.open(entry, span.limit);
    if (!data) return UZ_OK;
    if (entry.isSymlink()) return link(entry, *place, *data);
    const std::string verb = entry.method == zip::kMethodStored ? " extracting: " : "  inflating: ";
    run_.reporter.message(run_.info(), verb + place->shownName);
    return write(position, entry, *place, *data);
}

int32_t ExtractMode::finish(bool) {
    // Nothing made ahead may stay: a file dropped later would change a folder's time again.
    pipeline_.reset();
    return tree_.finish();
}

bool ExtractMode::handOut(const Entry& entry, const EntrySpan& span, os::Path& folder) {
    if (!step_.plainData(entry, span) || entry.isSymlink()) return false;
    const SafePath path = SanitizePath(entry.name, rules_);
    if (!Refusal(path).empty()) return false;
    // A file that stands at the target matters only when the options may keep
    // it, and one that needs the replace callback waits for its turn.
    if (!policy_.writesOverAnything() &&
        policy_.settle(os::Inspect(tree_.below(path.components)), EntryTime(entry), !entry.mtime) != Verdict::Write)
        return false;
    folder = tree_.keptFolder(path.components, path.components.size() - 1);
    return true;
}

std::optional<Produced> ExtractMode::produce(ArchiveInput& input, EntryReader& reader, const Entry& entry,
                                             uint64_t limit, const os::Path& folder) const {
    std::optional<EntryData> data = LocatePlainData(input, entry, limit);
    if (!data) return std::nullopt;
    return ProduceFile(input, reader, entry, *data, folder, run_, false);
}

int32_t ExtractMode::write(size_t position, const Entry& entry, Placement& place, EntryData& data) {
    if (std::optional<Produced> early = pipeline_ ? pipeline_->take(position) : std::nullopt) {
        if (early->failedAt == OutputStep::None) {
            if (early->folder == place.folder || early->data.error != DataError::None)
                return commit(std::move(*early), place, data);
            // Made in a folder above its own, before that existed.
            if (early->file->commit(place.target, place.mtime, place.mode).ok()) {
                placed(place);
                return UZ_OK;
            }
        }
        // Its output failed, or it could not be put in place from where it was
        // made: made again as on one thread, with nothing made ahead of it
        // taking room on the disk, so that the failure reported is the one
        // the calling thread alone would meet.
        pipeline_->restart(position);
    }
    const bool overlap = entry.size >= kOverlapFrom;
    const EntryData start = data;  // a second try decrypts from the first byte again
    Produced produced = ProduceFile(step_.input(), step_.reader(), entry, data, place.folder, run_, overlap);
    if (produced.failedAt != OutputStep::None && dropMadeAhead()) {
        data = start;
        produced = ProduceFile(step_.input(), step_.reader(), entry, data, place.folder, run_, overlap);
    }
    return commit(std::move(produced), place, data);
}

int32_t ExtractMode::decide(const Entry& entry, std::optional<Placement>& out) {
    SafePath path = SanitizePath(entry.name, rules_);
    if (const std::string why = Refusal(path); !why.empty()) {
        run_.error(UZ_WARNING, "skipping: " + entry.name + ": refused, " + why);
        return UZ_OK;
    }
    Placement place;
    place.shownName = JoinComponents(path.components);
    switch (tree_.makeFolders(path.components, path.components.size() - 1, place.folder, entry.name, place.folders)) {
    case DestinationTree::Folders::Ready: break;
    case DestinationTree::Folders::Refused: return UZ_OK;
    case DestinationTree::Folders::DiskFull: return UZ_DISK_FULL;
    }
    place.target = os::Join(place.folder, path.components.back());
    if (const os::Status fits = os::CheckTargetName(place.folder, path.components.back(), place.target); !fits.ok())
        return outputFailed(OutputStep::Create, fits, place.shownName);
    place.mtime = EntryTime(entry);
    place.mode = os::FileMode(entry.unixMode(), run_.options.privilege != 0, umask_);
    os::FileState existing = os::Inspect(place.target);
    if (existing.exists && existing.directory) {
        run_.error(UZ_WARNING, "skipping: " + place.shownName + ": a folder of that name exists");
        return UZ_OK;
    }
    // A link still to be made is what this entry would replace.
    if (const DestinationTree::Link* waiting = tree_.waitingLink(place.shownName))
        existing = os::FileState{true, false, true, waiting->mtime};
    switch (policy_.decide(existing, place.mtime, !entry.mtime, os::PathToUtf8(place.target))) {
    case Verdict::Write: break;
    case Verdict::NotPresent: return UZ_OK;
    case Verdict::NotNewer:
        run_.reporter.message(run_.info(), "   skipping: " + place.shownName + " (the existing file is not older)");
        return UZ_OK;
    case Verdict::KeepExisting:
        run_.reporter.message(run_.info(), "   skipping: " + place.shownName + " (the existing file is kept)");
        return UZ_OK;
    }
    place.components = std::move(path.components);
    out.emplace(std::move(place));
    return UZ_OK;
}

int32_t ExtractMode::commit(Produced produced, Placement& place, const EntryData& data) {
    if (produced.failedAt != OutputStep::None) return outputFailed(produced.failedAt, produced.status, place.shownName);
    if (produced.data.error != DataError::None) {
        step_.dataFailed(place.shownName, produced.data, data);
        return UZ_OK;
    }
    if (const os::Status s = produced.file->commit(place.target, place.mtime, place.mode); !s.ok())
        return outputFailed(OutputStep::Commit, s, place.shownName);
    placed(place);
    return UZ_OK;
}

void ExtractMode::placed(Placement& place) {
    place.folders.keep();
    tree_.replaceWaitingLink(place.shownName);
    run_.outcome.fileDone();
}

int32_t ExtractMode::link(const Entry& entry, Placement& place, EntryData& data) {
    StringSink sink(kMaxLinkTarget);
    const DataOutcome r = step_.read(entry, data, sink);
    if (r.error == DataError::SinkFailed || r.error == DataError::TooLong) {
        run_.error(UZ_WARNING, "skipping: " + place.shownName + ": its link target is too long");
        return UZ_OK;
    }
    if (r.error != DataError::None) {
        step_.dataFailed(place.shownName, r, data);
        return UZ_OK;
    }
    const std::string& target = sink.text();
    if (!LinkStaysInside(place.components, target)) {
        run_.error(UZ_WARNING, "skipping: " + place.shownName + ": refused, it is a link to " + target +
                                   ", outside the destination");
        return UZ_OK;
    }
    if (os::SupportsSymlinks()) {
        // Made at the end of the run, so no later entry is written through it.
        run_.reporter.message(run_.info(), "    linking: " + place.shownName + " -> " + target);
        placed(place);
        tree_.linkLater({place.components, target, place.shownName, place.mtime});
        return UZ_OK;
    }
    // Without links the entry becomes a small file that holds the target.
    const auto makeFile = [&] {
        std::unique_ptr<os::OutputFile> file;
        os::Status s = run_.settings.createOutput(place.folder, file);
        if (s.ok()) s = file->write(reinterpret_cast<const uint8_t*>(target.data()), target.size());
        if (s.ok()) s = file->commit(place.target, place.mtime, -1);
        return s;
    };
    os::Status s = makeFile();
    if (!s.ok() && dropMadeAhead()) s = makeFile();
    if (!s.ok()) return outputFailed(OutputStep::LinkFile, s, place.shownName);
    placed(place);
    return UZ_OK;
}

int32_t ExtractMode::makeFolderEntry(const Entry& entry) {
    if (!run_.options.honorDirectories) return UZ_OK;
    const SafePath path = SanitizePath(entry.name, rules_);
    if (path.refused()) {
        run_.error(UZ_WARNING, "skipping: " + entry.name + ": refused, " + path.refusal);
        return UZ_OK;
    }
    if (path.components.empty()) return UZ_OK;
    run_.reporter.message(run_.info(), "   creating: " + JoinComponents(path.components) + "/");
    os::Path folder;
    FolderClaim claim;
    switch (tree_.makeFolders(path.components, path.components.size(), folder, entry.name, claim)) {
    case DestinationTree::Folders::Ready: break;
    case DestinationTree::Folders::Refused: return UZ_OK;
    case DestinationTree::Folders::DiskFull: return UZ_DISK_FULL;
    }
    claim.keep();
    tree_.setFolderLater(folder, EntryTime(entry),
                         os::DirectoryMode(entry.unixMode(), run_.options.privilege != 0, umask_));
    return UZ_OK;
}

// Files made ahead for later entries take room that the calling thread alone
// would still have, and stay open until taken: a file or folder this thread
// fails to make is tried once more without them, so that the failure
// reported is the one a run on one thread would meet.
bool ExtractMode::dropMadeAhead() {
    if (!pipeline_ || !pipeline_->holdsFiles()) return false;
    pipeline_->restart(position_);
    return true;
}

// Disk full ends the run with 50: every later entry would fail the same way.
// Any other failure is a warning for this entry alone.
int32_t ExtractMode::outputFailed(OutputStep step, const os::Status& status, const std::string& shownName) {
    if (status.kind == os::Status::DiskFull) {
        run_.reporter.message(MessageClass::Error, DiskFullText(step, shownName));
        return UZ_DISK_FULL;
    }
    run_.error(UZ_WARNING, FailureText(step, shownName) + ": " + os::Describe(status));
    return UZ_OK;
}

}  // namespace uz
