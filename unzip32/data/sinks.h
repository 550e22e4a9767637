// Where an entry's output goes: a file, memory (link targets), or nowhere
// (testing); the print callback's sink is the print mode's (modes/data_modes.cpp). Text entries may have their line ends
// converted on the way.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "unzip32/data/entry_reader.h"
#include "unzip32/data/line_ends.h"
#include "unzip32/os/os.h"

namespace uz {

// Converts line ends when asked and the entry is text (by its attribute or,
// without one, by a look at its first bytes), then passes bytes on.
class ConvertingSink : public EntrySink {
public:
    ConvertingSink(bool convert, bool markedText);
    bool consume(const uint8_t* data, size_t n) final;
    bool finish();

protected:
    virtual bool put(const uint8_t* data, size_t n) = 0;

private:
    bool convert_;
    bool markedText_;
    bool decided_ = false;
    std::optional<LineEndConverter> converter_;
    std::string scratch_;
};

class FileSink : public ConvertingSink {
public:
    FileSink(os::OutputFile& file, bool convert, bool markedText) : ConvertingSink(convert, markedText), file_(file) {}
    const os::Status& status() const { return status_; }

private:
    bool put(const uint8_t* data, size_t n) override;
    os::OutputFile& file_;
    os::Status status_;
};

class NullSink : public EntrySink {
public:
    bool consume(const uint8_t*, size_t) override { return true; }
};

class StringSink : public EntrySink {
public:
    explicit StringSink(size_t limit) : limit_(limit) {}
    bool consume(const uint8_t* data, size_t n) override;
    const std::string& text() const { return text_; }

private:
    size_t limit_;
    std::string text_;
};

}  // namespace uz
