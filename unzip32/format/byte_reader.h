// A cursor over untrusted bytes that never reads past its end: every parser
// asks has(n) before it reads, and a read without room yields zero and marks
// the reader as overrun instead of touching memory outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace uz {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit ByteReader(std::string_view bytes)
        : ByteReader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) {}

    bool has(size_t n) const { return n <= size_ - pos_; }
    size_t remaining() const { return size_ - pos_; }
    size_t position() const { return pos_; }
    bool overrun() const { return overrun_; }

    uint8_t u8() { return static_cast<uint8_t>(take(1)); }
    uint16_t u16() { return static_cast<uint16_t>(take(2)); }
    uint32_t u32() { return static_cast<uint32_t>(take(4)); }
    uint64_t u64() { return take(8); }

    std::string_view bytes(size_t n) {
        if (!has(n)) {
            overrun_ = true;
            pos_ = size_;
            return {};
        }
        std::string_view out(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return out;
    }
    void skip(size_t n) { bytes(n); }

private:
    uint64_t take(size_t n) {
        if (!has(n)) {
            overrun_ = true;
            pos_ = size_;
            return 0;
        }
        uint64_t value = 0;
        for (size_t i = 0; i < n; ++i) value |= uint64_t{data_[pos_ + i]} << (8 * i);
        pos_ += n;
        return value;
    }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool overrun_ = false;
};

}  // namespace uz
