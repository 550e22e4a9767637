// Where an entry's output goes between the inflater and its sink. The reader
// asks the stage for room, fills it (inflating or copying straight into it)
// and hands the filled part over; the stage keeps the CRC of everything
// handed over and passes it on to the sink. DirectStage does that at once on
// the reading thread; WriterThread (writer_thread.h) does it on a second one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace uz {

// Receives the entry's output. A false answer ends the read (the sink keeps
// its own reason).
class EntrySink {
public:
    virtual ~EntrySink() = default;
    virtual bool consume(const uint8_t* data, size_t n) = 0;
};

struct OutputRoom {
    uint8_t* data;
    size_t size;  // never 0
};

class OutputStage {
public:
    virtual ~OutputStage() = default;
    // Room for the next output; valid until the next deliver().
    virtual OutputRoom room() = 0;
    // The first n bytes of the room are output. False: the sink has failed
    // (now or on earlier output), nothing more reaches it.
    virtual bool deliver(size_t n) = 0;
    // Waits until all delivered output has reached the sink and gives its
    // CRC. False: the sink failed.
    virtual bool finish(uint32_t& crc) = 0;
};

// Computes the CRC and calls the sink on the calling thread, from one buffer.
class DirectStage final : public OutputStage {
public:
    DirectStage(EntrySink& sink, uint8_t* buffer, size_t size) : sink_(sink), room_{buffer, size} {}
    OutputRoom room() override { return room_; }
    bool deliver(size_t n) override;
    bool finish(uint32_t& crc) override;

private:
    EntrySink& sink_;
    OutputRoom room_;
    uint32_t crc_ = 0;
    bool failed_ = false;
};

}  // namespace uz
