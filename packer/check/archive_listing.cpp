#include "packer/check/archive_listing.h"

#include <memory>

#include "packer/base/text.h"
#include "unzip32/reuse/os.h"
#include "unzip32/reuse/zip_archive.h"

namespace packer {

namespace {

Listing ListingOf(uz::ArchiveInput& input) {
    Listing listing;
    uz::ArchiveIndex index;
    const uz::DirectoryResult result = uz::ReadCentralDirectory(input, index);
    if (result.error != uz::DirectoryError::None) {
        listing.problem = result.detail;
        return listing;
    }
    listing.entries.reserve(index.entries.size());
    for (const uz::Entry& entry : index.entries) {
        const bool notUtf8 = (entry.flags & uz::zip::kFlagUtf8Names) != 0 && !IsUtf8(entry.rawName);
        listing.entries.push_back(
            {FromUtf8(entry.name), entry.flags, entry.isDirectory(), notUtf8 ? entry.rawName : std::string()});
    }
    return listing;
}

}  // namespace

bool ListedEntry::Encrypted() const { return (flags & uz::zip::kFlagEncrypted) != 0; }

Listing ReadListing(std::string_view bytes) {
    uz::MemoryInput input(bytes);
    return ListingOf(input);
}

Listing ReadListingOfFile(const std::filesystem::path& file) {
    std::unique_ptr<uz::ArchiveInput> input;
    if (const uz::os::Status status = uz::os::OpenArchive(file.native(), input); !status.ok()) {
        Listing listing;
        listing.problem = "cannot read " + QuotedPath(file) + ": " + uz::os::Describe(status);
        return listing;
    }
    return ListingOf(*input);
}

}  // namespace packer
