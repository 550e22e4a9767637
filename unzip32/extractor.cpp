#include "unzip32/extractor.h"

#include <memory>

#include "unzip32/format/central_directory.h"
#include "unzip32/format/entry_spans.h"
#include "unzip32/format/text_encoding.h"
#include "unzip32/modes/data_modes.h"
#include "unzip32/modes/extraction.h"
#include "unzip32/modes/listing.h"
#include "unzip32/os/os.h"
#include "unzip32/run/entry_step.h"

namespace uz {

Extractor::Extractor(Options options, Callbacks callbacks, std::vector<std::string> include,
                     std::vector<std::string> exclude, RunSettings settings)
    : options_(std::move(options)), callbacks_(callbacks), reporter_(callbacks.print, options_.messageLevel),
      filter_(std::move(include), std::move(exclude), options_.caseSensitive),
      passwords_(callbacks.password, reporter_), settings_(settings) {}

int32_t Extractor::run() {
    const std::string displayName = os::AnsiToUtf8(options_.zipFile);
    if (options_.zipFile.empty()) {
        reporter_.message(MessageClass::Error, "error: no archive name was given");
        return UZ_NOT_FOUND;
    }
    std::unique_ptr<ArchiveInput> input;
    const os::Status opened = os::OpenArchive(os::PathFromAnsi(options_.zipFile), input);
    if (!opened.ok()) {
        reporter_.message(MessageClass::Error,
                          "error: cannot open archive " + displayName + ": " + os::Describe(opened));
        return UZ_NOT_FOUND;
    }
    return run(*input, displayName);
}

int32_t Extractor::run(ArchiveInput& input, const std::string& archiveName) {
    ArchiveIndex index;
    const DirectoryResult directory = ReadCentralDirectory(input, index);
    switch (directory.error) {
    case DirectoryError::None: break;
    case DirectoryError::NotZip:
        reporter_.message(MessageClass::Error, "error: " + archiveName +
                                                   " is not a ZIP archive, or it is cut short (" +
                                                   directory.detail + ")");
        return UZ_NOT_FOUND;
    case DirectoryError::Truncated:
        reporter_.message(MessageClass::Error, "error: " + archiveName + " is cut short: " + directory.detail);
        return UZ_UNEXPECTED_END;
    case DirectoryError::Corrupt:
        reporter_.message(MessageClass::Error, "error: " + archiveName + " is damaged: " + directory.detail);
        return UZ_SEVERE_ERROR;
    case DirectoryError::MultiDisk:
        reporter_.message(MessageClass::Error, "error: " + archiveName + ": " + directory.detail +
                                                   ", which is not supported");
        return UZ_SEVERE_ERROR;
    }
    RunContext context{options_, callbacks_, reporter_, outcome_, settings_};
    reporter_.message(context.info(), "Archive:  " + archiveName);
    if (index.disagreeingCount) {
        // Every entry the directory holds is handled; the archive is still
        // not what its writer meant, so the run cannot end clean.
        reporter_.message(MessageClass::Error,
                          "warning: " + archiveName + ": the end of the central directory counts " +
                              std::to_string(*index.disagreeingCount) + " entries, but the directory holds " +
                              std::to_string(index.entries.size()) + "; all of them are read");
        outcome_.fail(UZ_WARNING);
    }
    if (options_.displayComment && !index.comment.empty()) {
        reporter_.requested(IsValidUtf8(index.comment) ? index.comment : Cp437ToUtf8(index.comment));
    }

    const std::vector<EntrySpan> spans = MapEntrySpans(index);
    std::vector<Selected> plan;
    for (size_t i = 0; i < index.entries.size(); ++i)
        if (filter_.selects(index.entries[i].name)) plan.push_back({&index.entries[i], &spans[i]});
    const std::vector<Selected>* ahead = WorthThreads(plan, settings_) ? &plan : nullptr;

    EntryStep step(context, input, passwords_);
    std::unique_ptr<ModeHandler> mode;
    switch (options_.mode) {
    case Mode::Extract: {
        os::Path root;
        const os::Status made = os::PrepareDestination(options_.extractDir, root);
        if (!made.ok()) {
            reporter_.message(MessageClass::Error, "error: cannot create the destination folder " +
                                                       os::AnsiToUtf8(options_.extractDir) + ": " +
                                                       os::Describe(made));
            return made.kind == os::Status::DiskFull ? UZ_DISK_FULL : UZ_BAD_OPTIONS;
        }
        mode = std::make_unique<ExtractMode>(context, step, std::move(root), ahead);
        break;
    }
    case Mode::Test: mode = std::make_unique<TestMode>(context, step, ahead); break;
    case Mode::ToPrint: mode = std::make_unique<PrintMode>(context, step); break;
    case Mode::List: mode = std::make_unique<ListMode>(context); break;
    }

    for (size_t position = 0; position < plan.size(); ++position) {
        const Entry& entry = *plan[position].entry;
        outcome_.selected();
        if (callbacks_.service) {
            const std::string ansi = os::Utf8ToAnsi(entry.name);
            if (callbacks_.service(ansi.c_str(), static_cast<int32_t>(ansi.size())) != 0) {
                static_cast<void>(mode->finish(false));
                reporter_.message(MessageClass::Error, "extraction stopped by the caller before " + entry.name);
                return UZ_STOPPED;
            }
        }
        if (const int32_t fatal = mode->entry(position, entry, *plan[position].span); fatal != UZ_OK) {
            static_cast<void>(mode->finish(false));
            return fatal;
        }
    }
    if (const int32_t fatal = mode->finish(true); fatal != UZ_OK) return fatal;

    const auto unmatched = filter_.unmatched();
    for (const auto& pattern : unmatched)
        reporter_.message(MessageClass::Error, "caution: no entry matches " + pattern);
    const int32_t result = outcome_.result(filter_.hasIncludes(), !unmatched.empty());
    if (options_.mode == Mode::Test) {
        if (result == UZ_OK)
            reporter_.requested("No errors detected in compressed data of " + archiveName + ".");
        else
            reporter_.message(MessageClass::Error, "At least one error was detected in " + archiveName + ".");
    }
    if (result == UZ_BAD_PASSWORD)
        reporter_.message(MessageClass::Error, "No entry was extracted: no correct password was given.");
    return result;
}

}  // namespace uz
