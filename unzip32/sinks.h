// Where an entry's output goes: a file, the print callback, memory (link
// targets), or nowhere (testing). Text entries may have their line ends
// converted on the way.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "entry_reader.h"
#include "line_ends.h"
#include "messages.h"
#include "os.h"

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

class PrintSink : public ConvertingSink {
public:
    PrintSink(Reporter& reporter, bool convert, bool markedText) : ConvertingSink(convert, markedText), reporter_(reporter) {}

private:
    bool put(const uint8_t* data, size_t n) override;
    Reporter& reporter_;
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
