#include "packer/single_file/pe_checksum.h"

#include <string>

#include "launcher/pe_format.h"
#include "packer/base/pack_error.h"
#include "unzip32/reuse/byte_reader.h"

namespace packer::single_file {

namespace pe = launcher::pe;

void PeChecksum::Add(std::string_view bytes) {
    for (const char c : bytes) {
        const uint64_t at = length_++;
        const uint16_t byte = at - fieldAt_ < 4 ? 0 : static_cast<unsigned char>(c);
        if (at % 2 == 0) {
            pending_ = byte;
            continue;
        }
        sum_ += pending_ | static_cast<uint16_t>(byte << 8);
        sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
        pending_ = 0;
    }
}

uint32_t PeChecksum::Value() const {
    uint32_t sum = sum_;
    if (length_ % 2 != 0) {  // a last odd byte counts as a word of its own
        sum += pending_;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<uint32_t>(sum + length_);
}

uint64_t CheckSumFieldOffset(std::string_view image) {
    uz::ByteReader dos(image.substr(0, pe::kDosHeaderSize));
    if (!dos.has(pe::kDosHeaderSize) || dos.u16() != pe::kDosMagic) return 0;
    dos.skip(pe::kDosLfanewOffset - 2);
    return uint64_t{dos.u32()} + pe::kPeSignatureSize + pe::kCoffHeaderSize + pe::kCheckSumOffset;
}

void PutCheckSum(std::string& image, uint32_t value) {
    const uint64_t fieldAt = CheckSumFieldOffset(image);
    if (fieldAt == 0 || fieldAt > image.size() || image.size() - fieldAt < 4)
        throw PackError("the launcher program has no complete program headers");
    for (size_t i = 0; i < 4; ++i, value >>= 8) image[static_cast<size_t>(fieldAt) + i] = static_cast<char>(value);
}

}  // namespace packer::single_file
