// Line-by-line reading of a text file in the ANSI code page, shared by the
// Windows and POSIX file systems.
//
// The line rules of the settings file: a line ends at CR, or at CR LF (the
// pair is one line end). A bare LF does not end a line and stays in it, so a
// file with LF-only line ends reads as one line. The last line needs no line
// end. A byte-order mark is not recognised: its bytes belong to the first
// line. Lines have no length limit.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

// A stream of bytes read front to back. Read fills at most `size` bytes and
// returns how many it filled; 0 means the end. Trouble is a common::Failure.
struct ByteSource {
    virtual size_t Read(char* buffer, size_t size) = 0;
    virtual ~ByteSource() = default;
};

class LineReader final : public TextReader {
public:
    // `converter` turns each line's bytes into text; null means platform::ansi()
    // at the time of reading.
    explicit LineReader(std::unique_ptr<ByteSource> source, AnsiText* converter = nullptr);

    bool AtEnd() override;
    // The next line without its line end; reading past the end is a device
    // I/O failure (57).
    std::wstring ReadLine() override;

private:
    bool Fill();  // makes at least one unread byte available; false at the end

    std::unique_ptr<ByteSource> source_;
    AnsiText* converter_;
    std::vector<char> buffer_;
    size_t pos_ = 0;   // first unread byte in buffer_
    size_t size_ = 0;  // bytes held in buffer_
    bool ended_ = false;
};

}  // namespace platform
