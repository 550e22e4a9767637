#include "unzip32/data/sinks.h"

namespace uz {

ConvertingSink::ConvertingSink(bool convert, bool markedText) : convert_(convert), markedText_(markedText) {}

bool ConvertingSink::consume(const uint8_t* data, size_t n) {
    if (!decided_ && n > 0) {
        decided_ = true;
        if (convert_ && (markedText_ || LooksLikeText(data, n))) converter_.emplace(os::CrLfLineEnds());
    }
    if (!converter_) return put(data, n);
    scratch_.clear();
    converter_->convert(data, n, scratch_);
    return put(reinterpret_cast<const uint8_t*>(scratch_.data()), scratch_.size());
}

bool ConvertingSink::finish() {
    if (!converter_) return true;
    scratch_.clear();
    converter_->finish(scratch_);
    return scratch_.empty() || put(reinterpret_cast<const uint8_t*>(scratch_.data()), scratch_.size());
}

bool FileSink::put(const uint8_t* data, size_t n) {
    status_ = file_.write(data, n);
    return status_.ok();
}

bool StringSink::consume(const uint8_t* data, size_t n) {
    if (n > limit_ - text_.size()) return false;
    text_.append(reinterpret_cast<const char*>(data), n);
    return true;
}

}  // namespace uz
