// One run of Wiz_SingleEntryUnzip: reads the directory, selects entries by
// the name lists, and lists, tests, prints or extracts each one, turning
// what happened into messages and a result code.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "archive_input.h"
#include "central_directory.h"
#include "entry_reader.h"
#include "messages.h"
#include "name_matcher.h"
#include "options.h"
#include "os.h"
#include "outcome.h"
#include "overwrite_policy.h"
#include "password_flow.h"
#include "path_sanitizer.h"

namespace uz {

class FileSink;

class Extractor {
public:
    Extractor(Options options, Callbacks callbacks, std::vector<std::string> include,
              std::vector<std::string> exclude);

    int32_t run();  // on the archive file the options name
    int32_t run(ArchiveInput& input, const std::string& utf8ArchiveName);

private:
    // Ends the run early with this code when non-zero.
    int32_t processEntry(ArchiveInput& input, const Entry& entry, uint64_t limit, bool duplicate);
    void listEntry(const Entry& entry, bool first);
    void makeDirectoryEntry(const Entry& entry);
    DataOutcome readIntoFile(ArchiveInput& input, const Entry& entry, uint64_t dataOffset, uint64_t storedSize,
                             ZipCrypto* crypto, FileSink& sink);
    bool ensureFolders(const std::vector<std::string>& components, size_t count, os::Path& folder,
                       const std::string& entryName);
    std::string unsupportedReason(const Entry& entry) const;
    int64_t entryTime(const Entry& entry) const;
    int fileMode(const Entry& entry) const;
    int directoryMode(const Entry& entry) const;
    void finishDeferred();
    MessageClass info() const { return options_.verbose ? MessageClass::Notice : MessageClass::Info; }
    void error(int32_t code, const std::string& text);

    Options options_;
    Callbacks callbacks_;
    Reporter reporter_;
    NameFilter filter_;
    Outcome outcome_;
    PasswordFlow passwords_;
    OverwritePolicy policy_;
    EntryReader reader_;
    PathRules rules_;
    os::Path root_;
    uint32_t umask_ = 0;
    std::unordered_set<std::string> knownFolders_;  // relative folders known to exist

    struct FolderAttributes {
        os::Path path;
        int64_t mtime;
        int mode;
    };
    std::vector<FolderAttributes> folders_;
    struct PendingLink {
        std::vector<std::string> components;
        std::string target;
        std::string name;
    };
    std::vector<PendingLink> links_;
    uint64_t totalSize_ = 0, totalCompressed_ = 0, listed_ = 0;
};

}  // namespace uz
