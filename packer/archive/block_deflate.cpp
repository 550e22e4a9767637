#include "packer/archive/block_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <fstream>
#include <mutex>
#include <thread>

#include "packer/base/pack_error.h"
#include "packer/base/text.h"
#include "unzip32/reuse/zip_archive.h"

namespace packer {

namespace zip = uz::zip;

namespace {

// On the benchmark's application (bench/pack.sh) level 5 does a sixth less
// work than zlib's default, 6, for 0.1 % more bytes.
constexpr int kLevel = 5;
constexpr int kMemoryLevel = 8;
constexpr size_t kDictionarySize = 32 * 1024;  // deflate's window
constexpr size_t kBlocksAheadPerThread = 4;
// Data is taken for compressible when deflate saves at least this part of it.
constexpr size_t kMinSavingDivisor = 100;
// A file of several blocks is tried in samples of this size, spread over it,
// at the fastest level: stored when none of them shrinks.
constexpr size_t kSampleSize = 32 * 1024;
constexpr int kSamples = 5;
constexpr int kSampleLevel = 1;

enum class Method { Unknown, Deflate, Store };

// A raw deflate stream (no zlib header), released on every path.
class DeflateStream {
public:
    explicit DeflateStream(int level = kLevel) {
        if (deflateInit2(&stream_, level, Z_DEFLATED, -MAX_WBITS, kMemoryLevel, Z_DEFAULT_STRATEGY) != Z_OK) {
            throw PackError("cannot start the deflate compressor");
        }
    }
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;
    ~DeflateStream() { deflateEnd(&stream_); }
    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
};

struct Unit {
    size_t file;
    uint64_t offset;
    size_t length;
    bool first, last;
};

struct Result {
    bool done = false;
    Method method = Method::Unknown;  // decided by a first block
    std::string data;
    uint32_t crc = 0;
    std::string error;
};

std::string Deflate(z_stream* z, std::string_view dictionary, std::string_view raw, bool last) {
    if (deflateReset(z) != Z_OK) throw PackError("deflate failed");
    if (!dictionary.empty() &&
        deflateSetDictionary(z, reinterpret_cast<const Bytef*>(dictionary.data()),
                             static_cast<uInt>(dictionary.size())) != Z_OK) {
        throw PackError("deflate failed");
    }
    // The bound covers a finished stream; a sync flush adds at most 5 bytes more.
    std::string out(deflateBound(z, static_cast<uLong>(raw.size())) + 16, '\0');
    z->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z->avail_in = static_cast<uInt>(raw.size());
    z->next_out = reinterpret_cast<Bytef*>(out.data());
    z->avail_out = static_cast<uInt>(out.size());
    const int result = deflate(z, last ? Z_FINISH : Z_SYNC_FLUSH);
    if (result != (last ? Z_STREAM_END : Z_OK) || z->avail_in != 0 || z->avail_out == 0) {
        throw PackError("deflate failed");
    }
    // Given back through the pointer: GCC 12 at -O3 cannot see that avail_out
    // stays within the buffer and warns of a wrapped size (-Wrestrict).
    out.resize(static_cast<size_t>(reinterpret_cast<char*>(z->next_out) - out.data()));
    return out;
}

bool Shrinks(size_t deflated, size_t raw) { return deflated + raw / kMinSavingDivisor < raw; }

class Reader {
public:
    explicit Reader(const FileToPack& file) : file_(file), in_(file.source, std::ios::binary) {
        if (!in_) throw PackError("cannot read " + QuotedPath(file.source));
    }
    // `length` bytes at `offset`, all of them there; with `last`, the file
    // must end right after them.
    std::string Read(uint64_t offset, size_t length, bool last = false) {
        std::string bytes(length + (last ? 1 : 0), '\0');
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (in_.bad()) throw PackError("cannot read " + QuotedPath(file_.source));
        if (static_cast<size_t>(in_.gcount()) != length) {
            throw PackError(QuotedPath(file_.source) + " changed while it was being packed");
        }
        bytes.resize(length);
        return bytes;
    }

private:
    const FileToPack& file_;
    std::ifstream in_;
};

// Whether any of the samples spread over a file of several blocks shrinks.
// They lie at fifths of the file, which files made of parts of a power of two
// bytes do not line up with.
bool SamplesShrink(Reader& reader, uint64_t size, DeflateStream& sampler) {
    for (int i = 0; i < kSamples; ++i) {
        const uint64_t at = std::min(size - kSampleSize, size / kSamples * i);
        const std::string sample = reader.Read(at, kSampleSize);
        if (Shrinks(Deflate(sampler.get(), {}, sample, true).size(), sample.size())) return true;
    }
    return false;
}

struct Streams {
    std::unique_ptr<DeflateStream> deflate, sample;
};

Result Process(const FileToPack& file, const Unit& unit, Method method, Streams& streams) {
    if (!streams.deflate) streams.deflate = std::make_unique<DeflateStream>();
    Result r;
    Reader reader(file);
    if (unit.first && !unit.last) {
        if (!streams.sample) streams.sample = std::make_unique<DeflateStream>(kSampleLevel);
        method = SamplesShrink(reader, file.size, *streams.sample) ? Method::Deflate : Method::Store;
        r.method = method;
    }
    const size_t before = method == Method::Deflate ? std::min<uint64_t>(kDictionarySize, unit.offset) : 0;
    const std::string bytes = reader.Read(unit.offset - before, before + unit.length, unit.last);
    const std::string_view raw = std::string_view(bytes).substr(before);
    r.crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(raw.data()),
                                        static_cast<uInt>(raw.size())));
    if (method != Method::Store) {
        r.data = Deflate(streams.deflate->get(), std::string_view(bytes).substr(0, before), raw, unit.last);
    }
    // A file of one block is tried whole: no second compression, its bytes are here.
    if (unit.first && unit.last) r.method = Shrinks(r.data.size(), raw.size()) ? Method::Deflate : Method::Store;
    if (r.method == Method::Store || method == Method::Store) r.data.assign(raw);
    return r;
}

}  // namespace

struct BlockDeflater::Shared {
    std::vector<FileToPack> files;
    std::vector<Unit> units;
    std::vector<Method> methods;  // per file, once its first block is done
    size_t limit;                 // blocks taken but not yet handed out

    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0;           // the next unit a worker takes
    size_t handedOut = 0;      // units handed to the caller
    std::deque<Result> taken;  // results of units [handedOut, next)
    bool stop = false;
    std::vector<std::thread> workers;

    // A block after the first waits for the first to decide the method.
    bool Ready(size_t u) const { return units[u].first || methods[units[u].file] != Method::Unknown; }

    void Work() {
        Streams streams;
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] {
                return stop || next == units.size() || (next - handedOut < limit && Ready(next));
            });
            if (stop || next == units.size()) return;
            const size_t u = next++;
            taken.emplace_back();
            const Unit unit = units[u];
            const Method method = methods[unit.file];
            lock.unlock();
            Result result;
            try {
                result = Process(files[unit.file], unit, method, streams);
            } catch (const std::exception& e) {
                result.error = e.what();
            }
            lock.lock();
            if (unit.first) methods[unit.file] = result.error.empty() ? result.method : Method::Store;
            result.done = true;
            taken[u - handedOut] = std::move(result);
            changed.notify_all();
        }
    }
};

BlockDeflater::BlockDeflater(std::vector<FileToPack> files, unsigned threads)
    : shared_(std::make_unique<Shared>()) {
    Shared& s = *shared_;
    s.files = std::move(files);
    s.methods.assign(s.files.size(), Method::Unknown);
    for (size_t f = 0; f < s.files.size(); ++f) {
        const uint64_t size = s.files[f].size;
        uint64_t offset = 0;
        do {
            const size_t length = static_cast<size_t>(std::min<uint64_t>(kBlockSize, size - offset));
            s.units.push_back({f, offset, length, offset == 0, offset + length == size});
            offset += length;
        } while (offset < size);
    }
    threads = std::max(1u, threads);
    s.limit = kBlocksAheadPerThread * threads;
    try {
        for (unsigned i = 0; i < threads; ++i) s.workers.emplace_back([&s] { s.Work(); });
    } catch (...) {
        Stop();  // the workers started so far
        throw;
    }
}

BlockDeflater::~BlockDeflater() { Stop(); }

void BlockDeflater::Stop() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stop = true;
    }
    shared_->changed.notify_all();
    for (std::thread& worker : shared_->workers) {
        if (worker.joinable()) worker.join();
    }
}

bool BlockDeflater::Next(PackedBlock& block) {
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    if (s.handedOut == s.units.size()) return false;
    s.changed.wait(lock, [&] { return !s.taken.empty() && s.taken.front().done; });
    Result result = std::move(s.taken.front());
    s.taken.pop_front();
    const Unit unit = s.units[s.handedOut++];
    const Method method = s.methods[unit.file];
    s.changed.notify_all();
    lock.unlock();
    if (!result.error.empty()) throw PackError(result.error);
    block.file = unit.file;
    block.last = unit.last;
    block.method = method == Method::Deflate ? zip::kMethodDeflated : zip::kMethodStored;
    block.data = std::move(result.data);
    block.crc = result.crc;
    block.size = unit.length;
    return true;
}

}  // namespace packer
