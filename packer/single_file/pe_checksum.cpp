#include "packer/single_file/pe_checksum.h"

#include <fstream>
#include <string>

#include "launcher/pe_format.h"
#include "packer/pack_error.h"
#include "packer/text.h"
#include "unzip32/byte_reader.h"

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

void WriteCheckSum(const std::filesystem::path& file) {
    std::fstream io(file, std::ios::binary | std::ios::in | std::ios::out);
    std::string buffer(1 << 20, '\0');
    io.read(buffer.data(), static_cast<std::streamsize>(pe::kDosHeaderSize));
    const uint64_t fieldAt = CheckSumFieldOffset(std::string_view(buffer.data(), static_cast<size_t>(io.gcount())));
    if (!io || fieldAt == 0) throw PackError("cannot read the program headers of " + QuotedPath(file));
    io.seekg(0);
    PeChecksum checksum(fieldAt);
    while (io.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || io.gcount() > 0) {
        checksum.Add(std::string_view(buffer.data(), static_cast<size_t>(io.gcount())));
    }
    if (io.bad()) throw PackError("cannot read " + QuotedPath(file));
    if (fieldAt + 4 > checksum.Length()) throw PackError("cannot read the program headers of " + QuotedPath(file));
    io.clear();
    const uint32_t value = checksum.Value();
    const char field[4] = {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                           static_cast<char>(value >> 24)};
    io.seekp(static_cast<std::streamoff>(fieldAt));
    io.write(field, sizeof field);
    io.close();
    if (!io) throw PackError("cannot write " + QuotedPath(file));
}

}  // namespace packer::single_file
