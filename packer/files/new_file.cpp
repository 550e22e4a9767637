#include "packer/files/new_file.h"

#include <zlib.h>

#include <algorithm>
#include <string>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"

namespace packer {

namespace {

constexpr size_t kReadBack = 1 << 20;  // bytes read back at a time

}  // namespace

uint32_t Crc32(uint32_t crc, std::string_view bytes) {
    uLong sum = crc;
    // zlib counts in uInt.
    for (size_t at = 0; at < bytes.size();) {
        const size_t n = std::min<size_t>(bytes.size() - at, 1u << 30);
        sum = crc32(sum, reinterpret_cast<const Bytef*>(bytes.data() + at), static_cast<uInt>(n));
        at += n;
    }
    return static_cast<uint32_t>(sum);
}

NewFile::NewFile(std::filesystem::path path) : path_(std::move(path)), file_(SystemFile::CreateNew(path_)) {}

void NewFile::Write(std::string_view bytes) {
    file_.WriteAt(end_, bytes);
    end_ += bytes.size();
}

void NewFile::WriteAt(uint64_t offset, std::string_view bytes) {
    if (offset > end_ || bytes.size() > end_ - offset) throw PackError("a write past the end of " + QuotedPath(path_));
    file_.WriteAt(offset, bytes);
}

void NewFile::Finish(uint32_t crc) {
    file_.Flush();
    const auto wrong = [this](const std::string& what) {
        return PackError(QuotedPath(path_) + " was not written as it should be: " + what);
    };
    if (const uint64_t size = file_.Size(); size != end_)
        throw wrong("it has " + std::to_string(size) + " bytes, not " + std::to_string(end_));
    std::string buffer(kReadBack, '\0');
    uint32_t read = 0;
    for (uint64_t at = 0; at < end_;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer.size(), end_ - at));
        const size_t got = file_.ReadAt(at, buffer.data(), want);
        if (got != want) throw wrong("it ends after " + std::to_string(at + got) + " bytes");
        read = Crc32(read, std::string_view(buffer).substr(0, got));
        at += got;
    }
    if (read != crc) throw wrong("its bytes differ from those written");
    file_.Close();
}

void WriteNewFile(const std::filesystem::path& path, std::string_view bytes) {
    NewFile file(path);
    file.Write(bytes);
    file.Finish(Crc32(0, bytes));
}

}  // namespace packer
