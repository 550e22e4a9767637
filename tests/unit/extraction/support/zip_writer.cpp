#include "zip_writer.h"

#include <array>

namespace extraction_test {

namespace {

// Record signatures and fixed values of the ZIP format.
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr uint32_t kEndOfDirSignature = 0x06054b50;
constexpr uint16_t kVersionNeeded = 20;     // 2.0
constexpr uint16_t kVersionMadeBy = 20;     // 2.0, MS-DOS attributes
constexpr uint16_t kFlagEncrypted = 1 << 0;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kDosTime = (10 << 11) | (30 << 5);        // 10:30:00
constexpr uint16_t kDosDate = ((2004 - 1980) << 9) | (5 << 5) | 7;  // 2004-05-07
constexpr uint32_t kAttrDirectory = 0x10;   // external attribute, MS-DOS directory
constexpr size_t kEncryptionHeaderSize = 12;

const std::array<uint32_t, 256>& CrcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

uint32_t CrcByte(uint32_t crc, uint8_t b) { return CrcTable()[(crc ^ b) & 0xff] ^ (crc >> 8); }

uint32_t Crc32(const std::string& data) {
    uint32_t crc = 0xffffffffu;
    for (unsigned char b : data) crc = CrcByte(crc, b);
    return crc ^ 0xffffffffu;
}

// The traditional PKWARE stream cipher.
class Cipher {
public:
    explicit Cipher(const std::string& password) {
        for (unsigned char c : password) Update(c);
    }
    std::string Encrypt(const std::string& plain) {
        std::string out;
        for (unsigned char c : plain) {
            out.push_back(static_cast<char>(c ^ StreamByte()));
            Update(c);
        }
        return out;
    }

private:
    uint8_t StreamByte() const {
        uint32_t temp = (key2_ | 2) & 0xffff;
        return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
    }
    void Update(uint8_t c) {
        key0_ = CrcByte(key0_, c);
        key1_ = (key1_ + (key0_ & 0xff)) * 134775813u + 1;
        key2_ = CrcByte(key2_, static_cast<uint8_t>(key1_ >> 24));
    }
    uint32_t key0_ = 0x12345678, key1_ = 0x23456789, key2_ = 0x34567890;
};

void Put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xff));
    out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v & 0xffff));
    Put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

std::string MakeZip(const std::vector<ZipEntry>& entries) {
    std::string archive, directory;
    for (const ZipEntry& e : entries) {
        uint32_t crc = Crc32(e.data);
        std::string stored = e.data;
        uint16_t flags = 0;
        if (!e.password.empty()) {
            flags |= kFlagEncrypted;
            std::string header(kEncryptionHeaderSize - 1, '\x5a');
            header.push_back(static_cast<char>(crc >> 24));  // check byte: CRC's high byte
            stored = Cipher(e.password).Encrypt(header + e.data);
        }
        uint32_t offset = static_cast<uint32_t>(archive.size());
        Put32(archive, kLocalHeaderSignature);
        Put16(archive, kVersionNeeded);
        Put16(archive, flags);
        Put16(archive, kMethodStored);
        Put16(archive, kDosTime);
        Put16(archive, kDosDate);
        Put32(archive, crc);
        Put32(archive, static_cast<uint32_t>(stored.size()));
        Put32(archive, static_cast<uint32_t>(e.data.size()));
        Put16(archive, static_cast<uint16_t>(e.name.size()));
        Put16(archive, 0);  // extra field length
        archive += e.name;
        archive += stored;

        bool folder = !e.name.empty() && e.name.back() == '/';
        Put32(directory, kCentralHeaderSignature);
        Put16(directory, kVersionMadeBy);
        Put16(directory, kVersionNeeded);
        Put16(directory, flags);
        Put16(directory, kMethodStored);
        Put16(directory, kDosTime);
        Put16(directory, kDosDate);
        Put32(directory, crc);
        Put32(directory, static_cast<uint32_t>(stored.size()));
        Put32(directory, static_cast<uint32_t>(e.data.size()));
        Put16(directory, static_cast<uint16_t>(e.name.size()));
        Put16(directory, 0);  // extra field length
        Put16(directory, 0);  // comment length
        Put16(directory, 0);  // disk number start
        Put16(directory, 0);  // internal attributes
        Put32(directory, folder ? kAttrDirectory : 0);
        Put32(directory, offset);
        directory += e.name;
    }
    uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
    archive += directory;
    Put32(archive, kEndOfDirSignature);
    Put16(archive, 0);  // this disk
    Put16(archive, 0);  // disk with the directory
    Put16(archive, static_cast<uint16_t>(entries.size()));
    Put16(archive, static_cast<uint16_t>(entries.size()));
    Put32(archive, static_cast<uint32_t>(directory.size()));
    Put32(archive, directoryOffset);
    Put16(archive, 0);  // comment length
    return archive;
}

}  // namespace extraction_test
