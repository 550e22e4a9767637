#include "unzip32/format/zip_crypto.h"

#include <zlib.h>

#include "unzip32/format/zip_format.h"

namespace uz {
namespace {

uint32_t Crc32Byte(uint32_t crc, uint8_t b) {
    static const z_crc_t* const table = get_crc_table();
    return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
}

}  // namespace

ZipCrypto::ZipCrypto(std::string_view password) : keys_{0x12345678, 0x23456789, 0x34567890} {
    for (char c : password) update(static_cast<uint8_t>(c));
}

void ZipCrypto::update(uint8_t plain) {
    keys_[0] = Crc32Byte(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813 + 1;
    keys_[2] = Crc32Byte(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

void ZipCrypto::decrypt(uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const uint32_t temp = (keys_[2] | 2) & 0xFFFF;
        const uint8_t plain = data[i] ^ static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
        update(plain);
        data[i] = plain;
    }
}

bool ZipCrypto::acceptHeader(const uint8_t* header, uint8_t check) {
    uint8_t copy[zip::kEncryptionHeaderSize];
    for (size_t i = 0; i < sizeof copy; ++i) copy[i] = header[i];
    decrypt(copy, sizeof copy);
    return copy[sizeof copy - 1] == check;
}

uint8_t PasswordCheckByte(uint16_t flags, uint16_t localDosTime, uint32_t crc) {
    return (flags & zip::kFlagDataDescriptor) ? static_cast<uint8_t>(localDosTime >> 8)
                                              : static_cast<uint8_t>(crc >> 24);
}

}  // namespace uz
