#include "extractor.h"

#include <algorithm>
#include <numeric>
#include <optional>
#include <system_error>

#include "sinks.h"
#include "text_encoding.h"
#include "text_format.h"
#include "writer_thread.h"

namespace uz {
namespace {

#ifdef _WIN32
constexpr bool kWindowsNames = true;
#else
constexpr bool kWindowsNames = false;
#endif

constexpr size_t kMaxLinkTarget = 4096;
// Entries at least this large are written on a second thread.
constexpr uint64_t kOverlapFrom = 1024 * 1024;

std::string JoinComponents(const std::vector<std::string>& components, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        if (i) out += '/';
        out += components[i];
    }
    return out;
}

std::string MethodName(const Entry& e) {
    switch (e.method) {
    case zip::kMethodStored: return "Stored";
    case zip::kMethodDeflated: {
        static const char* const kLevels[] = {"Defl:N", "Defl:X", "Defl:F", "Defl:S"};
        return kLevels[(e.flags >> 1) & 3];
    }
    case zip::kMethodShrunk: return "Shrunk";
    case zip::kMethodImploded: return "Implode";
    case zip::kMethodDeflate64: return "Def64";
    case zip::kMethodBzip2: return "BZip2";
    case zip::kMethodLzma: return "LZMA";
    case zip::kMethodZstd: return "Zstd";
    case zip::kMethodXz: return "XZ";
    case zip::kMethodPpmd: return "PPMd";
    case zip::kMethodAes: return "AES";
    default: return "Unk:" + std::to_string(e.method);
    }
}

uint32_t Ratio(uint64_t size, uint64_t compressed) {
    if (size == 0 || compressed >= size) return 0;
    return static_cast<uint32_t>((size - compressed) * 100 / size);
}

struct DosFields {
    int year, month, day, hour, minute, second;
    bool valid;
};
DosFields SplitDos(uint16_t date, uint16_t time) {
    DosFields f{zip::kDosEpochYear + (date >> 9), (date >> 5) & 0x0F, date & 0x1F,
                time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2, true};
    f.valid = f.month >= 1 && f.month <= 12 && f.day >= 1 && f.hour < 24 && f.minute < 60 && f.second < 60;
    return f;
}


}  // namespace

Extractor::Extractor(Options options, Callbacks callbacks, std::vector<std::string> include,
                     std::vector<std::string> exclude)
    : options_(std::move(options)), callbacks_(callbacks), reporter_(callbacks.print, options_.messageLevel),
      filter_(std::move(include), std::move(exclude), options_.caseSensitive),
      passwords_(callbacks.password, reporter_), policy_(options_, callbacks.replace) {
    rules_.windows = kWindowsNames;
    rules_.spaceToUnderscore = options_.spaceToUnderscore;
    rules_.flatten = !options_.honorDirectories;
}

void Extractor::error(int32_t code, const std::string& text) {
    reporter_.message(MessageClass::Error, text);
    outcome_.fail(code);
}

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
                          "error: cannot open archive " + displayName + ": " + Describe(opened));
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
    reporter_.message(info(), "Archive:  " + archiveName);
    if (options_.displayComment && !index.comment.empty()) {
        reporter_.requested(IsValidUtf8(index.comment) ? index.comment : Cp437ToUtf8(index.comment));
    }

    if (options_.mode == Mode::Extract) {
        const os::Status made = os::PrepareDestination(options_.extractDir, root_);
        if (!made.ok()) {
            reporter_.message(MessageClass::Error, "error: cannot create the destination folder " +
                                                       os::AnsiToUtf8(options_.extractDir) + ": " +
                                                       Describe(made));
            return made.kind == os::Status::DiskFull ? UZ_DISK_FULL : UZ_BAD_OPTIONS;
        }
        umask_ = os::Umask();
    }

    // Each entry's data must end before the next local header (by offset) or
    // the directory; an entry sharing its header with an earlier one is a
    // duplicate. Overlapping entries thus cannot multiply the output.
    const auto& entries = index.entries;
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return entries[a].localHeaderOffset < entries[b].localHeaderOffset;
    });
    std::vector<uint64_t> limit(entries.size(), index.directoryOffset);
    std::vector<bool> duplicate(entries.size(), false);
    uint64_t nextGreater = index.directoryOffset;
    for (size_t k = order.size(); k-- > 0;) {
        const uint64_t offset = entries[order[k]].localHeaderOffset;
        if (k + 1 < order.size() && entries[order[k + 1]].localHeaderOffset > offset)
            nextGreater = entries[order[k + 1]].localHeaderOffset;
        limit[order[k]] = std::min(nextGreater, index.directoryOffset);
        if (k > 0 && entries[order[k - 1]].localHeaderOffset == offset) duplicate[order[k]] = true;
    }

    bool first = true;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        if (!filter_.selects(entry.name)) continue;
        outcome_.selected();
        if (callbacks_.service) {
            const std::string ansi = os::Utf8ToAnsi(entry.name);
            if (callbacks_.service(ansi.c_str(), static_cast<int32_t>(ansi.size())) != 0) {
                finishDeferred();
                reporter_.message(MessageClass::Error, "extraction stopped by the caller before " + entry.name);
                return UZ_STOPPED;
            }
        }
        if (options_.mode == Mode::List) {
            listEntry(entry, first);
            first = false;
            continue;
        }
        if (const int32_t fatal = processEntry(input, entry, limit[i], duplicate[i]); fatal != UZ_OK) {
            finishDeferred();
            return fatal;
        }
    }
    finishDeferred();

    if (options_.mode == Mode::List && options_.verbose && listed_ > 0) {
        reporter_.requested("--------          -------  ---                            -------\n" +
                            Decimal(totalSize_, 8) + "         " + Decimal(totalCompressed_, 8) + " " +
                            Decimal(Ratio(totalSize_, totalCompressed_), 3) +
                            "%                            " + Decimal(listed_) + " file" +
                            (listed_ == 1 ? "" : "s"));
    }
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

std::string Extractor::unsupportedReason(const Entry& e) const {
    if (e.method == zip::kMethodAes || e.aes) return "AES encryption is not supported";
    if (e.flags & (zip::kFlagStrongEncryption | zip::kFlagMaskedHeaders))
        return "strong encryption is not supported";
    if (e.method != zip::kMethodStored && e.method != zip::kMethodDeflated)
        return "compression method " + std::to_string(e.method) + " (" + MethodName(e) + ") is not supported";
    return {};
}

int64_t Extractor::entryTime(const Entry& e) const {
    if (e.mtime) return *e.mtime;
    const DosFields f = SplitDos(e.dosDate, e.dosTime);
    if (!f.valid) return -1;
    return os::LocalDosTimeToUnix(f.year, f.month, f.day, f.hour, f.minute, f.second);
}

int Extractor::fileMode(const Entry& e) const {
    if (kWindowsNames) return -1;
    if (!e.hasUnixMode()) return static_cast<int>(0666 & ~umask_);
    if (options_.privilege != 0) return static_cast<int>(e.unixMode() & 07777);
    return static_cast<int>(((e.unixMode() & 0777) | 0600) & ~umask_);
}

int Extractor::directoryMode(const Entry& e) const {
    if (kWindowsNames || !e.hasUnixMode()) return -1;
    if (options_.privilege != 0) return static_cast<int>(e.unixMode() & 07777);
    return static_cast<int>(((e.unixMode() & 0777) | 0700) & ~umask_);
}

void Extractor::listEntry(const Entry& e, bool first) {
    const int64_t t = e.mtime ? *e.mtime : -1;
    DosFields f = SplitDos(e.dosDate, e.dosTime);
    if (t >= 0) {
        const os::LocalTime l = os::UnixToLocal(t);
        f = {l.year, l.month, l.day, l.hour, l.minute, l.second, true};
    }
    const std::string method = MethodName(e);
    if (callbacks_.listing) {
        const std::string ansi = os::Utf8ToAnsi(e.name);
        callbacks_.listing(static_cast<int32_t>(static_cast<uint32_t>(e.size)),
                           static_cast<uint32_t>(std::min<uint64_t>(e.compressedSize, UINT32_MAX)),
                           Ratio(e.size, e.compressedSize), static_cast<uint32_t>(f.month),
                           static_cast<uint32_t>(f.day), static_cast<uint32_t>(f.year),
                           static_cast<uint32_t>(f.hour), static_cast<uint32_t>(f.minute), 0, ansi.c_str(),
                           method.c_str(), e.crc, e.encrypted() ? 1 : 0);
    }
    if (options_.verbose) {
        if (first) {
            reporter_.requested(" Length   Method    Size  Cmpr    Date    Time   CRC-32   Name\n"
                                "--------  ------  ------- ---- ---------- -----  --------  ----");
        }
        const std::string row = Decimal(e.size, 8) + "  " + PadRight(method, 6) + " " +
                                Decimal(e.compressedSize, 8) + " " + Decimal(Ratio(e.size, e.compressedSize), 3) +
                                "% " + Decimal(f.year, 4, '0') + "-" + Decimal(f.month, 2, '0') + "-" +
                                Decimal(f.day, 2, '0') + " " + Decimal(f.hour, 2, '0') + ":" +
                                Decimal(f.minute, 2, '0') + "  " + Hex8(e.crc) + "  ";
        reporter_.requested(row + e.name + (e.encrypted() ? " (encrypted)" : ""));
        if (!e.comment.empty()) reporter_.requested("          " + e.comment);
    }
    totalSize_ += e.size;
    totalCompressed_ += e.compressedSize;
    ++listed_;
}

bool Extractor::ensureFolders(const std::vector<std::string>& components, size_t count, os::Path& folder,
                              const std::string& entryName) {
    folder = root_;
    std::string relative;
    for (size_t i = 0; i < count; ++i) {
        folder = os::Join(folder, components[i]);
        relative += components[i];
        relative += '/';
        if (knownFolders_.count(relative)) continue;
        const os::FileState state = os::Inspect(folder);
        if (state.exists && state.symlink) {
            // Following it could lead anywhere; entries never pass through links.
            error(UZ_WARNING, "skipping: " + entryName + ": the folder " + relative + " is a symbolic link");
            return false;
        }
        if (state.exists && !state.directory) {
            error(UZ_WARNING, "skipping: " + entryName + ": cannot create the folder " + relative +
                                  ", a file of that name exists");
            return false;
        }
        if (!state.exists) {
            const os::Status made = os::MakeDirectory(folder);
            if (!made.ok() && made.kind != os::Status::Exists) {
                error(UZ_WARNING, "skipping: " + entryName + ": cannot create the folder " + relative + ": " +
                                      Describe(made));
                return false;
            }
        }
        knownFolders_.insert(relative);
    }
    return true;
}

void Extractor::makeDirectoryEntry(const Entry& entry) {
    if (!options_.honorDirectories) return;
    const SafePath path = SanitizePath(entry.name, rules_);
    if (path.refused()) {
        error(UZ_WARNING, "skipping: " + entry.name + ": refused, " + path.refusal);
        return;
    }
    if (path.components.empty()) return;
    reporter_.message(info(), "   creating: " + JoinComponents(path.components, path.components.size()) + "/");
    os::Path folder;
    if (!ensureFolders(path.components, path.components.size(), folder, entry.name)) return;
    folders_.push_back({folder, entryTime(entry), directoryMode(entry)});
}

int32_t Extractor::processEntry(ArchiveInput& input, const Entry& entry, uint64_t limit, bool duplicate) {
    if (entry.isDirectory() && !entry.isSymlink()) {
        if (options_.mode == Mode::Extract) makeDirectoryEntry(entry);
        return UZ_OK;
    }
    if (duplicate) {
        error(UZ_FORMAT_ERROR, "skipping: " + entry.name + ": it shares its data with another entry");
        return UZ_OK;
    }
    if (const std::string reason = unsupportedReason(entry); !reason.empty()) {
        reporter_.message(MessageClass::Error, "skipping: " + entry.name + ": " + reason);
        outcome_.unsupported();
        return UZ_OK;
    }

    // Where the entry goes, and whether it may go there.
    SafePath path;
    os::Path folder, target;
    std::string shownName = entry.name;
    const int64_t mtime = entryTime(entry);
    if (options_.mode == Mode::Extract) {
        path = SanitizePath(entry.name, rules_);
        if (path.refused() || path.components.empty()) {
            error(UZ_WARNING, "skipping: " + entry.name + ": refused, " +
                                  (path.refused() ? path.refusal : std::string("its name is empty")));
            return UZ_OK;
        }
        shownName = JoinComponents(path.components, path.components.size());
        if (!ensureFolders(path.components, path.components.size() - 1, folder, entry.name)) return UZ_OK;
        target = os::Join(folder, path.components.back());
        const os::FileState existing = os::Inspect(target);
        if (existing.exists && existing.directory) {
            error(UZ_WARNING, "skipping: " + shownName + ": a folder of that name exists");
            return UZ_OK;
        }
        switch (policy_.decide(existing, mtime, !entry.mtime, os::PathToUtf8(target))) {
        case Verdict::Write: break;
        case Verdict::NotPresent: return UZ_OK;
        case Verdict::NotNewer:
            reporter_.message(info(), "   skipping: " + shownName + " (the existing file is not older)");
            return UZ_OK;
        case Verdict::KeepExisting:
            reporter_.message(info(), "   skipping: " + shownName + " (the existing file is kept)");
            return UZ_OK;
        }
    }

    // Where its data is, and the keys to it.
    LocalHeader local;
    std::string problem;
    if (!ReadLocalHeader(input, entry, limit, local, problem)) {
        error(UZ_FORMAT_ERROR, "skipping: " + entry.name + ": " + problem);
        return UZ_OK;
    }
    uint64_t dataOffset = local.dataOffset;
    uint64_t storedSize = entry.compressedSize;
    std::optional<ZipCrypto> keys;
    if (entry.encrypted()) {
        uint8_t header[zip::kEncryptionHeaderSize];
        if (storedSize < sizeof header || !input.readExact(dataOffset, header, sizeof header)) {
            error(UZ_FORMAT_ERROR, "skipping: " + entry.name + ": its encryption header is missing");
            return UZ_OK;
        }
        const bool askedBefore = passwords_.gaveUp();
        keys = passwords_.unlock(entry.name, header,
                                 PasswordCheckByte(local.flags | (entry.flags & zip::kFlagDataDescriptor),
                                                   local.dosTime, entry.crc));
        if (!keys) {
            reporter_.message(MessageClass::Error,
                              "skipping: " + entry.name +
                                  (askedBefore ? ": encrypted, and no password is left to try"
                                               : ": encrypted, and no correct password was given"));
            outcome_.passwordSkipped();
            return UZ_OK;
        }
        dataOffset += sizeof header;
        storedSize -= sizeof header;
    }
    ZipCrypto* crypto = keys ? &*keys : nullptr;
    const bool markedText = (entry.internalAttributes & zip::kInternalText) != 0;
    const auto dataFailed = [&](const DataOutcome& r) {
        const std::string hint = (r.error == DataError::BadCrc && crypto) ? " (wrong password?)" : "";
        error(r.error == DataError::Truncated ? UZ_UNEXPECTED_END : UZ_FORMAT_ERROR,
              "error: " + shownName + ": " + r.detail + hint);
    };

    switch (options_.mode) {
    case Mode::List: return UZ_OK;
    case Mode::Test: {
        NullSink sink;
        const DataOutcome r = reader_.read(input, entry, dataOffset, storedSize, crypto, sink);
        if (r.error != DataError::None) dataFailed(r);
        else reporter_.message(info(), "    testing: " + entry.name + "   OK"), outcome_.fileDone();
        return UZ_OK;
    }
    case Mode::ToPrint: {
        PrintSink sink(reporter_, options_.convertLineEnds, markedText);
        const DataOutcome r = reader_.read(input, entry, dataOffset, storedSize, crypto, sink);
        sink.finish();
        reporter_.endData();
        if (r.error != DataError::None) dataFailed(r);
        else outcome_.fileDone();
        return UZ_OK;
    }
    case Mode::Extract: break;
    }

    if (entry.isSymlink()) {
        StringSink sink(kMaxLinkTarget);
        const DataOutcome r = reader_.read(input, entry, dataOffset, storedSize, crypto, sink);
        if (r.error == DataError::SinkFailed || r.error == DataError::TooLong) {
            error(UZ_WARNING, "skipping: " + shownName + ": its link target is too long");
            return UZ_OK;
        }
        if (r.error != DataError::None) {
            dataFailed(r);
            return UZ_OK;
        }
        if (!LinkStaysInside(path.components, sink.text())) {
            error(UZ_WARNING, "skipping: " + shownName + ": refused, it is a link to " + sink.text() +
                                  ", outside the destination");
            return UZ_OK;
        }
        if (os::SupportsSymlinks()) {
            // Made at the end of the run, so no later entry is written through it.
            reporter_.message(info(), "    linking: " + shownName + " -> " + sink.text());
            links_.push_back({path.components, sink.text(), shownName});
            outcome_.fileDone();
            return UZ_OK;
        }
        // Without links the entry becomes a small file that holds the target.
        std::unique_ptr<os::OutputFile> file;
        os::Status s = os::CreateOutputFile(folder, file);
        if (s.ok()) s = file->write(reinterpret_cast<const uint8_t*>(sink.text().data()), sink.text().size());
        if (s.ok()) s = file->commit(target, mtime, -1);
        if (s.kind == os::Status::DiskFull) {
            reporter_.message(MessageClass::Error, "error: disk full while writing " + shownName);
            return UZ_DISK_FULL;
        }
        if (!s.ok()) error(UZ_WARNING, "error: cannot write " + shownName + ": " + Describe(s));
        else outcome_.fileDone();
        return UZ_OK;
    }

    reporter_.message(info(), std::string(entry.method == zip::kMethodStored ? " extracting: " : "  inflating: ") +
                                  shownName);
    std::unique_ptr<os::OutputFile> file;
    const os::Status created = os::CreateOutputFile(folder, file);
    if (!created.ok()) {
        if (created.kind == os::Status::DiskFull) {
            reporter_.message(MessageClass::Error, "error: disk full, cannot create " + shownName);
            return UZ_DISK_FULL;
        }
        error(UZ_WARNING, "error: cannot create " + shownName + ": " + Describe(created));
        return UZ_OK;
    }
    FileSink sink(*file, options_.convertLineEnds, markedText);
    DataOutcome r = readIntoFile(input, entry, dataOffset, storedSize, crypto, sink);
    if (r.error == DataError::None && !sink.finish()) r.error = DataError::SinkFailed;
    if (r.error == DataError::SinkFailed) {
        file.reset();  // removes the partial file
        if (sink.status().kind == os::Status::DiskFull) {
            reporter_.message(MessageClass::Error,
                              "error: disk full while writing " + shownName + "; the partial file was removed");
            return UZ_DISK_FULL;
        }
        error(UZ_WARNING, "error: cannot write " + shownName + ": " + Describe(sink.status()));
        return UZ_OK;
    }
    if (r.error != DataError::None) {
        file.reset();
        dataFailed(r);
        return UZ_OK;
    }
    const os::Status committed = file->commit(target, mtime, fileMode(entry));
    if (!committed.ok()) {
        if (committed.kind == os::Status::DiskFull) {
            reporter_.message(MessageClass::Error, "error: disk full while writing " + shownName);
            return UZ_DISK_FULL;
        }
        error(UZ_WARNING, "error: cannot put " + shownName + " in place: " + Describe(committed));
        return UZ_OK;
    }
    outcome_.fileDone();
    return UZ_OK;
}

DataOutcome Extractor::readIntoFile(ArchiveInput& input, const Entry& entry, uint64_t dataOffset,
                                    uint64_t storedSize, ZipCrypto* crypto, FileSink& sink) {
    // Large entries are written on a second thread while this one inflates;
    // for small ones starting it would cost more than it saves.
    if (entry.size >= kOverlapFrom) {
        std::optional<WriterThread> writer;
        try {
            writer.emplace(sink);
        } catch (const std::system_error&) {
            // No thread to be had: written on this one.
        }
        if (writer) return reader_.read(input, entry, dataOffset, storedSize, crypto, *writer);
    }
    return reader_.read(input, entry, dataOffset, storedSize, crypto, sink);
}

void Extractor::finishDeferred() {
    for (const auto& link : links_) {
        os::Path folder;
        if (!ensureFolders(link.components, link.components.size() - 1, folder, link.name)) continue;
        const os::Path at = os::Join(folder, link.components.back());
        const os::FileState existing = os::Inspect(at);
        if (existing.exists && existing.directory) {
            error(UZ_WARNING, "skipping: " + link.name + ": a folder of that name exists");
            continue;
        }
        if (existing.exists) os::RemoveFile(at);
        if (const os::Status s = os::CreateSymlink(at, link.target); !s.ok())
            error(UZ_WARNING, "error: cannot create the link " + link.name + ": " + Describe(s));
    }
    links_.clear();
    // Deepest first: setting a folder's time before its contents change would be undone.
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) os::SetDirectoryAttributes(it->path, it->mtime, it->mode);
    folders_.clear();
}

}  // namespace uz
