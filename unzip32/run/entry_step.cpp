#include "unzip32/run/entry_step.h"

#include "unzip32/format/central_directory.h"
#include "unzip32/format/method_name.h"

namespace uz {

EntryStep::Admission EntryStep::admit(const Entry& entry, bool duplicate) {
    if (entry.isDirectory() && !entry.isSymlink()) return Admission::Folder;
    if (duplicate) {
        run_.error(UZ_FORMAT_ERROR, "skipping: " + entry.name + ": it shares its data with another entry");
        return Admission::Skipped;
    }
    if (const std::string reason = unsupportedReason(entry); !reason.empty()) {
        run_.reporter.message(MessageClass::Error, "skipping: " + entry.name + ": " + reason);
        run_.outcome.unsupported();
        return Admission::Skipped;
    }
    return Admission::Data;
}

std::string EntryStep::unsupportedReason(const Entry& e) const {
    if (e.method == zip::kMethodAes || e.aes) return "AES encryption is not supported";
    if (e.flags & (zip::kFlagStrongEncryption | zip::kFlagMaskedHeaders))
        return "strong encryption is not supported";
    if (e.method != zip::kMethodStored && e.method != zip::kMethodDeflated)
        return "compression method " + std::to_string(e.method) + " (" + MethodName(e) + ") is not supported";
    return {};
}

bool EntryStep::plainData(const Entry& entry, const EntrySpan& span) const {
    return !(entry.isDirectory() && !entry.isSymlink()) && !span.duplicate && !entry.encrypted() &&
           unsupportedReason(entry).empty();
}

std::optional<EntryData> LocatePlainData(ArchiveInput& input, const Entry& entry, uint64_t limit) {
    LocalHeader local;
    std::string problem;
    if (!ReadLocalHeader(input, entry, limit, local, problem)) return std::nullopt;
    EntryData data;
    data.offset = local.dataOffset;
    data.storedSize = entry.compressedSize;
    return data;
}

std::optional<EntryData> EntryStep::open(const Entry& entry, uint64_t limit) {
    LocalHeader local;
    std::string problem;
    if (!ReadLocalHeader(input_, entry, limit, local, problem)) {
        run_.error(UZ_FORMAT_ERROR, "skipping: " + entry.name + ": " + problem);
        return std::nullopt;
    }
    EntryData data;
    data.offset = local.dataOffset;
    data.storedSize = entry.compressedSize;
    if (!entry.encrypted()) return data;

    uint8_t header[zip::kEncryptionHeaderSize];
    if (data.storedSize < sizeof header || !input_.readExact(data.offset, header, sizeof header)) {
        run_.error(UZ_FORMAT_ERROR, "skipping: " + entry.name + ": its encryption header is missing");
        return std::nullopt;
    }
    const bool askedBefore = passwords_.gaveUp();
    data.keys = passwords_.unlock(entry.name, header,
                                  PasswordCheckByte(local.flags | (entry.flags & zip::kFlagDataDescriptor),
                                                    local.dosTime, entry.crc));
    if (!data.keys) {
        run_.reporter.message(MessageClass::Error,
                              "skipping: " + entry.name +
                                  (askedBefore ? ": encrypted, and no password is left to try"
                                               : ": encrypted, and no correct password was given"));
        run_.outcome.passwordSkipped();
        return std::nullopt;
    }
    data.offset += sizeof header;
    data.storedSize -= sizeof header;
    return data;
}

std::optional<EntryData> EntryStep::admitAndOpen(const Entry& entry, const EntrySpan& span) {
    if (admit(entry, span.duplicate) != Admission::Data) return std::nullopt;
    return open(entry, span.limit);
}

DataOutcome EntryStep::read(const Entry& entry, EntryData& data, OutputStage& stage) {
    return reader_.read(input_, entry, data.offset, data.storedSize, data.keys ? &*data.keys : nullptr, stage);
}

DataOutcome EntryStep::read(const Entry& entry, EntryData& data, EntrySink& sink) {
    return reader_.read(input_, entry, data.offset, data.storedSize, data.keys ? &*data.keys : nullptr, sink);
}

void EntryStep::dataFailed(const std::string& shownName, const DataOutcome& outcome, const EntryData& data) {
    const std::string hint = (outcome.error == DataError::BadCrc && data.keys) ? " (wrong password?)" : "";
    run_.error(outcome.error == DataError::Truncated ? UZ_UNEXPECTED_END : UZ_FORMAT_ERROR,
               "error: " + shownName + ": " + outcome.detail + hint);
}

}  // namespace uz
