// The optional header's CheckSum: the file's 16-bit words added with the
// carry folded back after each addition, the CheckSum field itself counted
// as zero, plus the file's length. It covers the whole file, so it is
// computed again once everything after the image is in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace packer::single_file {

class PeChecksum {
public:
    // `fieldAt`: the file offset of the CheckSum field.
    explicit PeChecksum(uint64_t fieldAt) : fieldAt_(fieldAt) {}
    // The file's next bytes.
    void Add(std::string_view bytes);
    uint32_t Value() const;
    uint64_t Length() const { return length_; }

private:
    uint64_t fieldAt_;
    uint64_t length_ = 0;
    uint32_t sum_ = 0;
    uint16_t pending_ = 0;  // the low byte of a word whose high byte is still to come
};

// The file offset of the CheckSum field of the program image `image`
// (enough of its start to hold the MS-DOS header's pointer); 0 when it is
// not there.
uint64_t CheckSumFieldOffset(std::string_view image);

// Puts `value` into the CheckSum field of the program image `image`; a
// PackError when it has no such field.
void PutCheckSum(std::string& image, uint32_t value);

}  // namespace packer::single_file
