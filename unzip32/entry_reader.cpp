#include "entry_reader.h"

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
    uint64_t position = dataOffset;
    uint64_t left = storedSize;
    uint64_t produced = 0;
    uLong crc = crc32(0, nullptr, 0);

    // Reads the next chunk of stored bytes into in_; returns its length.
    const auto fill = [&](size_t& got) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, in_.size()));
        got = input.readAt(position, in_.data(), want);
        if (got != want) return false;
        if (crypto) crypto->decrypt(in_.data(), got);
        position += got;
        left -= got;
        return true;
    };
    // Checks and passes on a piece of output.
    const auto emit = [&](const uint8_t* data, size_t n) -> DataOutcome {
        if (n > entry.size - produced)
            return {DataError::TooLong, "its data is longer than the declared size"};
        produced += n;
        crc = crc32_z(crc, data, n);
        if (!sink.consume(data, n)) return {DataError::SinkFailed, {}};
        return {};
    };

    if (entry.method == zip::kMethodStored) {
        if (storedSize != entry.size)
            return {DataError::Corrupt, "its stored size and its size disagree"};
        while (left > 0) {
            size_t got;
            if (!fill(got)) return {DataError::Truncated, "its data is cut short"};
            if (auto r = emit(in_.data(), got); r.error != DataError::None) return r;
        }
    } else {
        if (!inflater_) inflater_ = std::make_unique<Inflater>();
        z_stream& z = inflater_->stream;
        inflateReset(&z);
        z.avail_in = 0;
        bool ended = false;
        while (!ended) {
            if (z.avail_in == 0 && left > 0) {
                size_t got;
                if (!fill(got)) return {DataError::Truncated, "its data is cut short"};
                z.next_in = in_.data();
                z.avail_in = static_cast<uInt>(got);
            }
            z.next_out = out_.data();
            z.avail_out = static_cast<uInt>(out_.size());
            const int rc = inflate(&z, Z_NO_FLUSH);
            const size_t n = out_.size() - z.avail_out;
            if (n > 0) {
                if (auto r = emit(out_.data(), n); r.error != DataError::None) return r;
            }
            if (rc == Z_STREAM_END) {
                ended = true;
            } else if (rc == Z_BUF_ERROR || (rc == Z_OK && n == 0 && z.avail_in == 0 && left == 0)) {
                // No progress possible: the stored data ran out mid-stream.
                if (left == 0 && z.avail_in == 0)
                    return {DataError::Corrupt, "its compressed data ends before the stream does"};
            } else if (rc != Z_OK) {
                return {DataError::Corrupt, std::string("its compressed data is invalid (") +
                                                (z.msg ? z.msg : "inflate error") + ")"};
            }
        }
    }
    if (produced != entry.size) return {DataError::TooShort, "its data is shorter than the declared size"};
    if (static_cast<uint32_t>(crc) != entry.crc) return {DataError::BadCrc, "CRC error"};
    return {};
}

}  // namespace uz
