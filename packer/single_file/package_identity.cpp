#include "packer/single_file/package_identity.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>

#include "common/failure.h"
#include "installer/setup_file.h"
#include "packer/base/text.h"
#include "packer/check/package_services.h"
#include "packer/check/setup_lint.h"
#include "unzip32/reuse/os.h"
#include "unzip32/reuse/zip_archive.h"

namespace packer::single_file {

namespace fs = std::filesystem;

namespace {

// 1980-01-01 00:00:00 UTC, the first moment the MS-DOS fields can hold.
constexpr int64_t kFirstDosTime = 315532800;

int64_t DosFieldsAsUtc(const uz::Entry& entry) {
    const uz::DosFields f = uz::SplitDos(entry.dosDate, entry.dosTime);
    if (!f.valid) return kFirstDosTime;
    namespace c = std::chrono;
    const c::sys_days date{c::year{f.year} / c::month{static_cast<unsigned>(f.month)} / c::day{static_cast<unsigned>(f.day)}};
    return (date + c::hours{f.hour} + c::minutes{f.minute} + c::seconds{f.second}).time_since_epoch() / c::seconds{1};
}

}  // namespace

std::optional<std::wstring> PackageApplicationName(const fs::path& packageDir, Host& host, const CodePage& codePage) {
    std::ifstream in(packageDir / kSetupFileName, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) return std::nullopt;
    CodePageText text(codePage);
    try {
        PackageServices services(host, host.TextOf(packageDir), std::move(bytes), &text);
        return installer::LastSetupValue(installer::SetupKey::Application);
    } catch (const common::Failure&) {
        return std::nullopt;
    }
}

int64_t ArchiveTime(const fs::path& zipFile) {
    std::unique_ptr<uz::ArchiveInput> archive;
    uz::ArchiveIndex index;
    if (!uz::os::OpenArchive(zipFile.native(), archive).ok() ||
        uz::ReadCentralDirectory(*archive, index).error != uz::DirectoryError::None)
        return kFirstDosTime;
    std::optional<int64_t> newest;
    for (const uz::Entry& entry : index.entries) {
        const int64_t time = entry.mtime.value_or(DosFieldsAsUtc(entry));
        newest = std::max(newest.value_or(time), time);
    }
    return newest.value_or(kFirstDosTime);
}

}  // namespace packer::single_file
