// Traditional PKWARE encryption: three 32-bit keys driven by the password and
// then by every plaintext byte, and a 12-byte header whose last byte checks
// the password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace uz {

class ZipCrypto {
public:
    explicit ZipCrypto(std::string_view password);
    void decrypt(uint8_t* data, size_t n);

    // Decrypts the 12-byte header (copied) and compares its last byte with
    // `check`; the keys then stand ready for the entry's data.
    bool acceptHeader(const uint8_t* header, uint8_t check);

private:
    void update(uint8_t plain);
    uint32_t keys_[3];
};

// The byte the header's last byte must equal: the high byte of the
// modification time when a data descriptor follows, of the CRC otherwise.
uint8_t PasswordCheckByte(uint16_t flags, uint16_t localDosTime, uint32_t crc);

}  // namespace uz
