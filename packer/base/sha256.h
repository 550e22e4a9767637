// SHA-256 (FIPS 180-4), for the digests of the files `build --json` and
// `bundle --json` report, so that a script can compare them with what it
// publishes. Our own: the tool links no cryptographic library, natively or on
// Windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace packer {

class Sha256 {
public:
    Sha256();
    void Update(const void* data, size_t size);
    // The digest as 64 lower-case hexadecimal digits; the object is spent.
    std::string HexDigest();

private:
    void Block(const uint8_t* block);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> pending_{};
    size_t pendingSize_ = 0;
    uint64_t totalBytes_ = 0;
};

// The digest of a file's bytes; a PackError when it cannot be read.
std::string FileSha256(const std::filesystem::path& file);

}  // namespace packer
