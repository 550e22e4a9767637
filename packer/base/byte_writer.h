// Little-endian records built in memory, with fields filled in once what
// they count is known.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace packer {

class ByteWriter {
public:
    void u8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
    void u16(uint16_t v) { put(v, 2); }
    void u32(uint32_t v) { put(v, 4); }
    void bytes(std::string_view b) { bytes_ += b; }
    void text16(std::u16string_view text) {
        for (char16_t c : text) u16(c);
    }
    // Zeros up to the next multiple of `alignment`.
    void align(size_t alignment) { bytes_.resize((bytes_.size() + alignment - 1) / alignment * alignment, '\0'); }

    void patch16(size_t at, uint16_t v) { patch(at, v, 2); }
    void patch32(size_t at, uint32_t v) { patch(at, v, 4); }

    size_t size() const { return bytes_.size(); }
    const std::string& str() const { return bytes_; }
    std::string take() { return std::move(bytes_); }

private:
    void put(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<char>(v >> (8 * i)));
    }
    void patch(size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bytes_[at + i] = static_cast<char>(v >> (8 * i));
    }
    std::string bytes_;
};

}  // namespace packer
