#include "launcher/payload.h"

#include <limits>
#include <string>

#include "launcher/pe_image.h"
#include "unzip32/reuse/entry_data.h"
#include "unzip32/reuse/names.h"

namespace launcher {
namespace {

PayloadResult Damaged(std::string detail) { return {PayloadStatus::Damaged, std::move(detail)}; }

PayloadResult WriteFailed(const std::string& name, const uz::os::Status& status) {
    return {PayloadStatus::WriteFailed, name + ": " + uz::os::Describe(status)};
}

bool SameName(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Hands the entry's output to its file and counts it toward the progress.
class FileSink final : public uz::EntrySink {
public:
    FileSink(NewFile& file, uint64_t& done, Progress& progress) : file_(file), done_(done), progress_(progress) {}
    bool consume(const uint8_t* data, size_t n) override {
        status_ = file_.Write(data, n);
        if (!status_.ok()) return false;
        done_ += n;
        stopped_ = !progress_.Unpacked(done_);
        return !stopped_;
    }
    const uz::os::Status& status() const { return status_; }
    bool stopped() const { return stopped_; }

private:
    NewFile& file_;
    uint64_t& done_;
    Progress& progress_;
    uz::os::Status status_;
    bool stopped_ = false;
};

// A folder by its path: the unzip library's output files, written beside
// their target and renamed over it.
class FolderFile final : public NewFile {
public:
    FolderFile(std::unique_ptr<uz::os::OutputFile> file, uz::os::Path target)
        : file_(std::move(file)), target_(std::move(target)) {}
    uz::os::Status Write(const uint8_t* data, size_t n) override { return file_->write(data, n); }
    uz::os::Status Keep() override { return file_->commit(target_, -1, -1); }

private:
    std::unique_ptr<uz::os::OutputFile> file_;
    uz::os::Path target_;
};

class FolderDestination final : public Destination {
public:
    explicit FolderDestination(const uz::os::Path& folder) : folder_(folder) {}
    uz::os::Status Create(const std::string& name, std::unique_ptr<NewFile>& file) override {
        std::unique_ptr<uz::os::OutputFile> out;
        if (const uz::os::Status made = uz::os::CreateOutputFile(folder_, out); !made.ok()) return made;
        file = std::make_unique<FolderFile>(std::move(out), uz::os::Join(folder_, name));
        return {};
    }

private:
    const uz::os::Path& folder_;
};

// The longest name NTFS and exFAT keep, in UTF-16 units.
constexpr size_t kMaxNameUnits = 255;

}  // namespace

bool IsPayloadFileName(const std::string& name) {
    const uz::SafePath safe = uz::SanitizePath(name, uz::PathRules{.windows = true});
    return !safe.refused() && safe.components.size() == 1 && safe.components[0] == name &&
           uz::Utf8ToUtf16(name).size() <= kMaxNameUnits;
}

Payload::Payload(uz::ArchiveInput& program) : program_(program) {}
Payload::~Payload() = default;

PayloadResult Payload::Open() {
    ImageLayout layout;
    std::string problem;
    if (!ReadImageLayout(program_, layout, problem)) return Damaged(problem);
    if (layout.payloadSize() == 0) return Damaged("the package it carries is missing or cut short");
    // The archive's offsets may count from the file's start (as the packager
    // writes them) or from the archive's own (an archive simply appended):
    // the reader sees the whole file up to the signature and finds out.
    archive_ = std::make_unique<uz::SliceInput>(program_, 0, layout.payloadOffset() + layout.payloadSize());
    const uz::DirectoryResult directory = uz::ReadCentralDirectory(*archive_, index_);
    if (directory.error == uz::DirectoryError::NotZip || directory.error == uz::DirectoryError::Truncated)
        return Damaged("the package it carries is missing or cut short");
    if (directory.error != uz::DirectoryError::None)
        return Damaged("the directory of the package it carries is damaged: " + directory.detail);
    // The packager writes both counts alike; a payload whose end record
    // disagrees with its directory is not what was packed, whichever is right.
    if (index_.disagreeingCount)
        return Damaged("the directory of the package it carries holds " + std::to_string(index_.entries.size()) +
                       " files, but its end counts " + std::to_string(*index_.disagreeingCount));
    spans_ = uz::MapEntrySpans(index_);

    totalSize_ = 0;
    for (size_t i = 0; i < index_.entries.size(); ++i) {
        const uz::Entry& entry = index_.entries[i];
        if (entry.isDirectory()) return Damaged("the package holds a folder, " + entry.name);
        if (!IsPayloadFileName(entry.name)) return Damaged("the package holds a file named " + entry.name);
        if (entry.encrypted() || entry.aes) return Damaged(entry.name + " is encrypted");
        if (entry.method != uz::zip::kMethodStored && entry.method != uz::zip::kMethodDeflated)
            return Damaged(entry.name + " is packed in an unknown way");
        if (spans_[i].duplicate || Find(entry.name.c_str()) != i) return Damaged("the package holds " + entry.name + " twice");
        if (entry.size > std::numeric_limits<uint64_t>::max() - totalSize_)
            return Damaged("the sizes of its files add up to more than any disk holds");
        totalSize_ += entry.size;
    }
    for (const char* required : {kSetupProgram, kSetupFile}) {
        if (Find(required) == FileCount()) return Damaged(std::string("the package holds no ") + required);
    }
    return {};
}

size_t Payload::Find(const char* name) const {
    for (size_t i = 0; i < index_.entries.size(); ++i) {
        if (SameName(index_.entries[i].name, name)) return i;
    }
    return index_.entries.size();
}

PayloadResult Payload::FindData(size_t file, uint64_t& dataOffset) {
    const uz::Entry& entry = index_.entries[file];
    uz::LocalHeader header;
    std::string problem;
    if (!uz::ReadLocalHeader(*archive_, entry, spans_[file].limit, header, problem))
        return Damaged(entry.name + ": " + problem);
    dataOffset = header.dataOffset;
    return {};
}

PayloadResult Payload::Test(size_t file) {
    const uz::Entry& entry = index_.entries[file];
    uint64_t dataOffset = 0;
    if (PayloadResult found = FindData(file, dataOffset); !found.ok()) return found;
    uz::NullSink sink;
    uz::EntryReader reader;
    const uz::DataOutcome outcome = reader.read(*archive_, entry, dataOffset, entry.compressedSize, nullptr, sink);
    if (outcome.error != uz::DataError::None) return Damaged(entry.name + ": " + outcome.detail);
    return {};
}

PayloadResult Payload::Unpack(size_t file, const uz::os::Path& folder, Progress& progress) {
    FolderDestination destination(folder);
    return Unpack(file, destination, progress);
}

PayloadResult Payload::Unpack(size_t file, Destination& destination, Progress& progress) {
    const uz::Entry& entry = index_.entries[file];
    uint64_t dataOffset = 0;
    if (PayloadResult found = FindData(file, dataOffset); !found.ok()) return found;

    std::unique_ptr<NewFile> out;
    if (const uz::os::Status made = destination.Create(entry.name, out); !made.ok()) return WriteFailed(entry.name, made);
    FileSink sink(*out, done_, progress);
    uz::EntryReader reader;
    const uz::DataOutcome outcome =
        reader.read(*archive_, entry, dataOffset, entry.compressedSize, nullptr, sink);
    if (sink.stopped()) return {PayloadStatus::Stopped, {}};
    if (outcome.error == uz::DataError::SinkFailed) return WriteFailed(entry.name, sink.status());
    if (outcome.error != uz::DataError::None) return Damaged(entry.name + ": " + outcome.detail);
    if (const uz::os::Status kept = out->Keep(); !kept.ok())
        return WriteFailed(entry.name, kept);
    return {};
}

}  // namespace launcher
