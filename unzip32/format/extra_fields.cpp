#include "unzip32/format/extra_fields.h"

#include <zlib.h>

#include "unzip32/format/byte_reader.h"
#include "unzip32/format/text_encoding.h"

namespace uz {
namespace {

constexpr int64_t kNtfsTicksPerSecond = 10000000;
constexpr int64_t kNtfsUnixEpoch = 11644473600LL;  // seconds from 1601 to 1970

template <typename Visit>
void ForEachField(std::string_view extra, Visit visit) {
    ByteReader reader(extra);
    while (reader.has(zip::kExtraHeaderSize)) {
        const uint16_t id = reader.u16();
        const uint16_t size = reader.u16();
        if (!reader.has(size)) return;
        visit(id, reader.bytes(size));
    }
}

}  // namespace

bool ApplyCentralExtraFields(std::string_view extra, Entry& entry) {
    const bool needSize = entry.size == zip::kZip64Marker32;
    const bool needCompressed = entry.compressedSize == zip::kZip64Marker32;
    const bool needOffset = entry.localHeaderOffset == zip::kZip64Marker32;
    bool zip64Ok = !(needSize || needCompressed || needOffset);
    std::optional<int64_t> ntfsTime, unixTime;

    ForEachField(extra, [&](uint16_t id, std::string_view data) {
        ByteReader field(data);
        switch (id) {
        case zip::kExtraZip64: {
            // Only the fields whose 32-bit value is the marker are present, in this order.
            bool ok = true;
            const auto take = [&](bool needed, uint64_t& value) {
                if (!needed) return;
                if (field.has(8)) value = field.u64();
                else ok = false;
            };
            take(needSize, entry.size);
            take(needCompressed, entry.compressedSize);
            take(needOffset, entry.localHeaderOffset);
            zip64Ok = ok;
            break;
        }
        case zip::kExtraExtendedTime:
            if (field.has(5) && (field.u8() & zip::kExtendedTimeHasMtime))
                unixTime = static_cast<int32_t>(field.u32());
            break;
        case zip::kExtraNtfs:
            if (!field.has(4)) break;
            field.skip(4);
            while (field.has(4)) {
                const uint16_t tag = field.u16();
                const uint16_t size = field.u16();
                if (!field.has(size)) break;
                ByteReader attr(field.bytes(size));
                if (tag == zip::kExtraNtfsTimesTag && size >= zip::kExtraNtfsTimesSize) {
                    const int64_t ticks = static_cast<int64_t>(attr.u64() & 0x7FFFFFFFFFFFFFFFULL);
                    ntfsTime = ticks / kNtfsTicksPerSecond - kNtfsUnixEpoch;
                }
            }
            break;
        case zip::kExtraUnicodePath:
            if (field.has(5) && field.u8() == 1) {
                const uint32_t nameCrc = field.u32();
                const std::string_view utf8 = field.bytes(field.remaining());
                const auto* raw = reinterpret_cast<const Bytef*>(entry.rawName.data());
                // The field holds only while the header name is the one it was made for.
                if (crc32(0, raw, static_cast<uInt>(entry.rawName.size())) == nameCrc && !utf8.empty())
                    entry.name = RepairUtf8(utf8);
            }
            break;
        case zip::kExtraAes:
            entry.aes = true;
            break;
        default:
            break;
        }
    });
    if (ntfsTime) entry.mtime = ntfsTime;
    else if (unixTime) entry.mtime = unixTime;
    return zip64Ok;
}

}  // namespace uz
