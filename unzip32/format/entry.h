// One entry as the central directory describes it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "unzip32/format/zip_format.h"

namespace uz {

struct Entry {
    std::string rawName;   // the name's bytes as stored
    std::string name;      // decoded to UTF-8 (flag bit 11, Unicode path field, or CP437)
    std::string comment;   // decoded to UTF-8
    uint16_t versionMadeBy = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint16_t internalAttributes = 0;
    uint32_t externalAttributes = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t size = 0;
    uint64_t localHeaderOffset = 0;   // already corrected for a prefix before the archive
    std::optional<int64_t> mtime;     // UTC seconds, from the extended timestamp or NTFS field
    bool aes = false;                 // WinZip AES field present

    uint8_t host() const { return static_cast<uint8_t>(versionMadeBy >> 8); }
    bool encrypted() const { return (flags & zip::kFlagEncrypted) != 0; }
    bool hasUnixMode() const {
        return (host() == zip::kHostUnix || host() == zip::kHostOsx) && (externalAttributes >> 16) != 0;
    }
    uint32_t unixMode() const { return hasUnixMode() ? externalAttributes >> 16 : 0; }
    bool isDirectory() const {
        if (!name.empty() && (name.back() == '/' || name.back() == '\\')) return true;
        if (hasUnixMode()) return (unixMode() & zip::kUnixTypeMask) == zip::kUnixDirectory;
        return (externalAttributes & zip::kDosDirectory) != 0 && size == 0;
    }
    bool isSymlink() const {
        return hasUnixMode() && (unixMode() & zip::kUnixTypeMask) == zip::kUnixSymlink;
    }
};

// The MS-DOS date and time fields taken apart; `valid` is false when they
// name no real moment (month 0, hour 24 and the like).
struct DosFields {
    int year, month, day, hour, minute, second;
    bool valid;
};
inline DosFields SplitDos(uint16_t date, uint16_t time) {
    DosFields f{zip::kDosEpochYear + (date >> 9), (date >> 5) & 0x0F, date & 0x1F,
                time >> 11, (time >> 5) & 0x3F, (time & 0x1F) * 2, true};
    f.valid = f.month >= 1 && f.month <= 12 && f.day >= 1 && f.hour < 24 && f.minute < 60 && f.second < 60;
    return f;
}

}  // namespace uz
