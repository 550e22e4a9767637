#include "unzip32/data/entry_reader.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace uz {
namespace {

constexpr size_t kInputChunk = 128 * 1024;
constexpr size_t kOutputChunk = 256 * 1024;

}  // namespace

struct EntryReader::Inflater {
    z_stream stream{};
    bool ready = false;
    Inflater() {
        // Raw deflate data: no zlib header, a 32 KiB window.
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) throw std::bad_alloc();
        ready = true;
    }
    ~Inflater() {
        if (ready) inflateEnd(&stream);
    }
};

EntryReader::EntryReader() : in_(kInputChunk), out_(kOutputChunk) {}
EntryReader::~EntryReader() = default;

DataOutcome EntryReader::read(ArchiveInput& input, const Entry& entry, uint64_t dataOffset, uint64_t storedSize,
                              ZipCrypto* crypto, EntrySink& sink) {
    DirectStage stage(sink, out_.data(), out_.size());
    return read(input, entry, dataOffset, storedSize, crypto, stage);
}

DataOutcome EntryReader::read(ArchiveInput& input, const Entry& entry, uint64_t dataOffset, uint64_t storedSize,
                              ZipCrypto* crypto, OutputStage& stage) {
    uint64_t position = dataOffset;
    uint64_t left = storedSize;
    uint64_t produced = 0;

    // Reads the next (up to `room`) stored bytes into `buffer`.
    const auto fill = [&](uint8_t* buffer, size_t room, size_t& got) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, room));
        got = input.readAt(position, buffer, want);
        if (got != want) return false;
        if (crypto) crypto->decrypt(buffer, got);
        position += got;
        left -= got;
        return true;
    };
    // Ends the read on a data error, unless the sink failed on earlier output.
    const auto fail = [&](DataError error, std::string detail) -> DataOutcome {
        uint32_t unused;
        if (!stage.finish(unused)) return {DataError::SinkFailed, {}};
        return {error, std::move(detail)};
    };
    const DataOutcome sinkFailed{DataError::SinkFailed, {}};

    if (entry.method == zip::kMethodStored) {
        if (storedSize != entry.size) return fail(DataError::Corrupt, "its stored size and its size disagree");
        while (left > 0) {
            const OutputRoom room = stage.room();
            size_t got;
            if (!fill(room.data, room.size, got)) return fail(DataError::Truncated, "its data is cut short");
            produced += got;
            if (!stage.deliver(got)) return sinkFailed;
        }
    } else {
        if (!inflater_) inflater_ = std::make_unique<Inflater>();
        z_stream& z = inflater_->stream;
        inflateReset(&z);
        z.avail_in = 0;
        OutputRoom room{nullptr, 0};
        size_t filled = 0;  // of the room
        bool ended = false;
        while (!ended) {
            if (z.avail_in == 0 && left > 0) {
                size_t got;
                if (!fill(in_.data(), in_.size(), got)) return fail(DataError::Truncated, "its data is cut short");
                z.next_in = in_.data();
                z.avail_in = static_cast<uInt>(got);
            }
            if (!room.data) room = stage.room();
            z.next_out = room.data + filled;
            z.avail_out = static_cast<uInt>(room.size - filled);
            const int rc = inflate(&z, Z_NO_FLUSH);
            const size_t n = room.size - filled - z.avail_out;
            if (n > entry.size - produced)
                return fail(DataError::TooLong, "its data is longer than the declared size");
            produced += n;
            filled += n;
            if (filled == room.size || (rc == Z_STREAM_END && filled > 0)) {
                if (!stage.deliver(filled)) return sinkFailed;
                room = {nullptr, 0};
                filled = 0;
            }
            if (rc == Z_STREAM_END) {
                ended = true;
            } else if (rc == Z_BUF_ERROR || (rc == Z_OK && n == 0 && z.avail_in == 0 && left == 0)) {
                // No progress possible: the stored data ran out mid-stream.
                if (left == 0 && z.avail_in == 0)
                    return fail(DataError::Corrupt, "its compressed data ends before the stream does");
            } else if (rc != Z_OK) {
                return fail(DataError::Corrupt, std::string("its compressed data is invalid (") +
                                                    (z.msg ? z.msg : "inflate error") + ")");
            }
        }
    }
    uint32_t crc;
    if (!stage.finish(crc)) return sinkFailed;
    if (produced != entry.size) return {DataError::TooShort, "its data is shorter than the declared size"};
    if (crc != entry.crc) return {DataError::BadCrc, "CRC error"};
    return {};
}

}  // namespace uz
