// Line-end conversion of text entries to the platform's convention: CR LF on
// Windows (a bare LF gains a CR), LF elsewhere (a CR before LF is dropped).
// The converter keeps state across chunks, so a CR LF split between two
// chunks is still seen as one line end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace uz {

class LineEndConverter {
public:
    explicit LineEndConverter(bool toCrLf) : toCrLf_(toCrLf) {}
    void convert(const uint8_t* data, size_t n, std::string& out);
    void finish(std::string& out);  // flushes a CR held back at the end of a chunk

private:
    bool toCrLf_;
    bool previousCr_ = false;  // CR LF mode: the last byte seen was CR
    bool heldCr_ = false;      // LF mode: a CR waits to see whether LF follows
};

// Guesses from the first bytes of an entry whether it is text: no NUL and
// hardly any control characters other than the usual layout ones.
bool LooksLikeText(const uint8_t* data, size_t n);

}  // namespace uz
