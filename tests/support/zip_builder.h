// Writes ZIP archives byte by byte, hostile ones included: any name, any
// method number, any sizes and offsets, traditional encryption. Shared by all
// the tests that need an archive, native and Windows alike (the Windows ones
// have no python3 to make archives).
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace uztest {

// Record signatures, fixed sizes and the offsets of the fields tests damage,
// counted from the start of the record (its signature included).
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndOfDirSignature = 0x06054b50;
constexpr size_t kLocalFlagsOffset = 6;
constexpr size_t kLocalNameLengthOffset = 26;
constexpr size_t kLocalHeaderSize = 30;          // + name + extra
constexpr size_t kCentralFlagsOffset = 8;
constexpr size_t kCentralNameLengthOffset = 28;
constexpr size_t kCentralHeaderSize = 46;        // + name + extra + comment
constexpr size_t kEndEntriesOnDiskOffset = 8;
constexpr size_t kEndEntriesOffset = 10;
constexpr size_t kEndDirectorySizeOffset = 12;
constexpr size_t kEndDirectoryOffsetOffset = 16;
constexpr size_t kEndOfDirSize = 22;             // + comment
constexpr uint16_t kFlagEncrypted = 1 << 0;

inline void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
inline void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

// Little-endian values written over bytes already there.
inline void Patch16(std::string& bytes, size_t at, uint16_t v) {
    std::string field;
    Put16(field, v);
    bytes.replace(at, field.size(), field);
}
inline void Patch32(std::string& bytes, size_t at, uint32_t v) {
    std::string field;
    Put32(field, v);
    bytes.replace(at, field.size(), field);
}
inline uint16_t Get16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes.at(at)) | static_cast<uint8_t>(bytes.at(at + 1)) << 8);
}
// A signature as it stands in the file, for finding records.
inline std::string SignatureBytes(uint32_t signature) {
    std::string bytes;
    Put32(bytes, signature);
    return bytes;
}

inline uint32_t Crc(const std::string& data) {
    return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

inline std::string RawDeflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// n bytes of text lines and pseudo-random runs, the same every time: deflates
// to about half, so large entries stay large in the archive too.
inline std::string MixedData(size_t n) {
    std::string out;
    out.reserve(n);
    uint32_t state = 12345;
    for (size_t line = 0; out.size() < n; ++line) {
        out += "line " + std::to_string(line) + " of some text that repeats\n";
        for (int i = 0; i < 40; ++i) {
            state = state * 1103515245u + 12345u;
            out += static_cast<char>(state >> 24);
        }
    }
    out.resize(n);
    return out;
}

struct ZipItem {
    std::string name;
    std::string data;
    uint16_t method = 8;                 // 0 stored, 8 deflated, anything else as given
    uint16_t flags = 0;
    uint16_t versionMadeBy = 0x031E;     // Unix, 3.0
    uint32_t externalAttributes = 0100644u << 16;
    uint16_t dosTime = 0x6000;           // 12:00:00
    uint16_t dosDate = 0x5A87;           // 2025-04-07
    std::string centralExtra;
    std::string localExtra;
    std::string password;                // non-empty: traditional encryption
    std::optional<uint32_t> crc;         // override (a wrong CRC)
    std::optional<uint64_t> declaredSize;  // override of the uncompressed size
    std::optional<uint64_t> offset;      // override of the local header offset
    bool writeLocal = true;              // false: only a central record (pointing at `offset`)
};

// An entry as an MS-DOS archiver writes it: stored, MS-DOS attributes (the
// directory bit on a name ending in '/'), stamped 2004-05-07 10:30:00, and
// under traditional encryption when `password` is not empty.
inline ZipItem DosItem(std::string name, std::string data = {}, std::string password = {}) {
    constexpr uint16_t kMadeByDos = 20;          // MS-DOS, 2.0
    constexpr uint32_t kDosDirectory = 0x10;     // MS-DOS attribute bit of a folder
    ZipItem item;
    const bool folder = !name.empty() && name.back() == '/';
    item.name = std::move(name);
    item.data = std::move(data);
    item.password = std::move(password);
    item.method = 0;
    item.versionMadeBy = kMadeByDos;
    item.externalAttributes = folder ? kDosDirectory : 0;
    item.dosTime = (10 << 11) | (30 << 5);                   // 10:30:00
    item.dosDate = ((2004 - 1980) << 9) | (5 << 5) | 7;      // 2004-05-07
    return item;
}

class ZipBuilder {
public:
    ZipBuilder() = default;
    ZipBuilder(std::initializer_list<ZipItem> items) : items_(items) {}

    ZipBuilder& add(ZipItem item) {
        items_.push_back(std::move(item));
        return *this;
    }
    ZipBuilder& file(const std::string& name, const std::string& data, uint16_t method = 8) {
        ZipItem item;
        item.name = name;
        item.data = data;
        item.method = method;
        return add(item);
    }

    std::string build(const std::string& comment = {}, const std::string& prefix = {}) const {
        std::string out = prefix;
        std::string central;
        for (const ZipItem& item : items_) {
            const uint32_t crc = item.crc ? *item.crc : Crc(item.data);
            std::string stored = item.method == 8 ? RawDeflate(item.data) : item.data;
            uint16_t flags = item.flags;
            if (!item.password.empty()) {
                flags |= kFlagEncrypted;
                stored = Encrypt(item.password, stored, static_cast<uint8_t>(crc >> 24));
            }
            const uint64_t size = item.declaredSize ? *item.declaredSize : item.data.size();
            const uint64_t offset = item.offset ? *item.offset : out.size() - prefix.size();
            if (item.writeLocal) {
                Put32(out, kLocalHeaderSignature);
                Put16(out, 20);
                Put16(out, flags);
                Put16(out, item.method);
                Put16(out, item.dosTime);
                Put16(out, item.dosDate);
                Put32(out, crc);
                Put32(out, static_cast<uint32_t>(stored.size()));
                Put32(out, static_cast<uint32_t>(size));
                Put16(out, static_cast<uint32_t>(item.name.size()));
                Put16(out, static_cast<uint32_t>(item.localExtra.size()));
                out += item.name;
                out += item.localExtra;
                out += stored;
            }
            Put32(central, kCentralHeaderSignature);
            Put16(central, item.versionMadeBy);
            Put16(central, 20);
            Put16(central, flags);
            Put16(central, item.method);
            Put16(central, item.dosTime);
            Put16(central, item.dosDate);
            Put32(central, crc);
            Put32(central, static_cast<uint32_t>(stored.size()));
            Put32(central, static_cast<uint32_t>(size));
            Put16(central, static_cast<uint32_t>(item.name.size()));
            Put16(central, static_cast<uint32_t>(item.centralExtra.size()));
            Put16(central, 0);
            Put16(central, 0);
            Put16(central, 0);
            Put32(central, item.externalAttributes);
            Put32(central, static_cast<uint32_t>(offset));
            central += item.name;
            central += item.centralExtra;
        }
        const uint64_t directoryOffset = out.size() - prefix.size();
        out += central;
        Put32(out, kEndOfDirSignature);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, static_cast<uint32_t>(items_.size()));
        Put16(out, static_cast<uint32_t>(items_.size()));
        Put32(out, static_cast<uint32_t>(central.size()));
        Put32(out, static_cast<uint32_t>(directoryOffset));
        Put16(out, static_cast<uint32_t>(comment.size()));
        out += comment;
        return out;
    }

    // Traditional PKWARE encryption with a fixed 12-byte header.
    static std::string Encrypt(const std::string& password, const std::string& data, uint8_t check) {
        uint32_t k0 = 0x12345678, k1 = 0x23456789, k2 = 0x34567890;
        const z_crc_t* table = get_crc_table();
        const auto update = [&](uint8_t p) {
            k0 = table[(k0 ^ p) & 0xFF] ^ (k0 >> 8);
            k1 = (k1 + (k0 & 0xFF)) * 134775813 + 1;
            k2 = table[(k2 ^ (k1 >> 24)) & 0xFF] ^ (k2 >> 8);
        };
        for (char c : password) update(static_cast<uint8_t>(c));
        std::string plain = "0123456789A";
        plain += static_cast<char>(check);
        plain += data;
        std::string out;
        for (char c : plain) {
            const uint32_t t = (k2 | 2) & 0xFFFF;
            const auto p = static_cast<uint8_t>(c);
            out += static_cast<char>(p ^ static_cast<uint8_t>((t * (t ^ 1)) >> 8));
            update(p);
        }
        return out;
    }

private:
    std::vector<ZipItem> items_;
};

}  // namespace uztest
