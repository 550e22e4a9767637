#include "unzip32/data/line_ends.h"

namespace uz {

void LineEndConverter::convert(const uint8_t* data, size_t n, std::string& out) {
    for (size_t i = 0; i < n; ++i) {
        const char c = static_cast<char>(data[i]);
        if (toCrLf_) {
            if (c == '\n' && !previousCr_) out += '\r';
            out += c;
            previousCr_ = c == '\r';
        } else {
            if (heldCr_) {
                heldCr_ = false;
                if (c != '\n') out += '\r';
            }
            if (c == '\r') heldCr_ = true;
            else out += c;
        }
    }
}

void LineEndConverter::finish(std::string& out) {
    if (heldCr_) out += '\r';
    heldCr_ = false;
}

bool LooksLikeText(const uint8_t* data, size_t n) {
    size_t control = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        if (b == 0) return false;
        if (b < 0x20 && b != '\n' && b != '\r' && b != '\t' && b != '\f' && b != 0x1A && b != 0x1B &&
            b != '\b')
            ++control;
    }
    return control * 100 <= n;  // at most 1 %
}

}  // namespace uz
