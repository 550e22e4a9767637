// Random access to the archive's bytes. The real size is known up front, and
// every length read from the archive is checked against it before use.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace uz {

class ArchiveInput {
public:
    virtual ~ArchiveInput() = default;
    virtual uint64_t size() const = 0;
    // Reads up to n bytes at offset; returns how many were read (fewer only at
    // the end of the archive or on a read error).
    virtual size_t readAt(uint64_t offset, uint8_t* buffer, size_t n) = 0;

    // True when exactly n bytes at offset could be read.
    bool readExact(uint64_t offset, uint8_t* buffer, size_t n) {
        return offset <= size() && n <= size() - offset && readAt(offset, buffer, n) == n;
    }
};

// An archive held in memory (fuzzing, tests).
class MemoryInput : public ArchiveInput {
public:
    explicit MemoryInput(std::string_view bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    size_t readAt(uint64_t offset, uint8_t* buffer, size_t n) override {
        if (offset >= bytes_.size()) return 0;
        const size_t count = std::min<uint64_t>(n, bytes_.size() - offset);
        std::memcpy(buffer, bytes_.data() + offset, count);
        return count;
    }

private:
    std::string_view bytes_;
};

// A stretch of another input seen as a whole archive, such as an archive
// carried inside a program file: offsets count from the stretch's start and
// nothing outside it is read. `offset` + `size` must lie within `whole`.
class SliceInput : public ArchiveInput {
public:
    SliceInput(ArchiveInput& whole, uint64_t offset, uint64_t size) : whole_(whole), offset_(offset), size_(size) {}
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, uint8_t* buffer, size_t n) override {
        if (offset >= size_) return 0;
        return whole_.readAt(offset_ + offset, buffer, static_cast<size_t>(std::min<uint64_t>(n, size_ - offset)));
    }

private:
    ArchiveInput& whole_;
    uint64_t offset_;
    uint64_t size_;
};

}  // namespace uz
