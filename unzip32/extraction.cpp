#include "extraction.h"

#include <optional>
#include <system_error>

#include "sinks.h"
#include "temporary_names.h"
#include "writer_thread.h"

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

}  // namespace

ExtractMode::ExtractMode(RunContext& run, EntryStep& step, os::Path root)
    : run_(run), step_(step), policy_(run.options, run.callbacks.replace), tree_(run, std::move(root)),
      umask_(os::Umask()) {
    rules_.windows = os::WindowsNameRules();
    rules_.spaceToUnderscore = run.options.spaceToUnderscore;
    rules_.flatten = !run.options.honorDirectories;
}

int32_t ExtractMode::entry(const Entry& entry, const EntrySpan& span) {
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
    return commit(produce(entry, *data, place->folder), *place, *data);
}

int32_t ExtractMode::finish(bool) { return tree_.finish(); }

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

Produced ExtractMode::produce(const Entry& entry, EntryData& data, const os::Path& folder) {
    Produced out;
    out.status = os::CreateOutputFile(folder, out.file);
    if (!out.status.ok()) {
        out.failedAt = OutputStep::Create;
        return out;
    }
    FileSink sink(*out.file, run_.options.convertLineEnds, (entry.internalAttributes & zip::kInternalText) != 0);
    out.data = readInto(entry, data, sink);
    if (out.data.error == DataError::None && !sink.finish()) out.data.error = DataError::SinkFailed;
    if (out.data.error == DataError::SinkFailed) {
        out.failedAt = OutputStep::Write;
        out.status = sink.status();
    }
    if (out.data.error != DataError::None) out.file.reset();  // removes the partial file
    return out;
}

DataOutcome ExtractMode::readInto(const Entry& entry, EntryData& data, FileSink& sink) {
    // Large entries are written on a second thread while this one inflates;
    // for small ones starting it would cost more than it saves.
    if (entry.size >= kOverlapFrom) {
        std::optional<WriterThread> writer;
        try {
            writer.emplace(sink);
        } catch (const std::system_error&) {
            // No thread to be had: written on this one.
        }
        if (writer) return step_.read(entry, data, *writer);
    }
    return step_.read(entry, data, sink);
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
    std::unique_ptr<os::OutputFile> file;
    os::Status s = os::CreateOutputFile(place.folder, file);
    if (s.ok()) s = file->write(reinterpret_cast<const uint8_t*>(target.data()), target.size());
    if (s.ok()) s = file->commit(place.target, place.mtime, -1);
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
