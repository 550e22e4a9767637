#include "platform/line_reader.h"

#include <string_view>

#include "common/failure.h"

namespace platform {

namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr size_t kChunkSize = 4096;

}  // namespace

LineReader::LineReader(std::unique_ptr<ByteSource> source, AnsiText* converter)
    : source_(std::move(source)), converter_(converter), buffer_(kChunkSize) {}

bool LineReader::Fill() {
    if (pos_ < size_) return true;
    if (ended_) return false;
    pos_ = 0;
    size_ = source_->Read(buffer_.data(), buffer_.size());
    if (size_ > buffer_.size()) {
        common::Raise(common::FailureNumber::DeviceIo, L"the file reported more bytes than asked");
    }
    if (size_ == 0) ended_ = true;
    return size_ != 0;
}

bool LineReader::AtEnd() { return !Fill(); }

std::wstring LineReader::ReadLine() {
    if (!Fill()) common::Raise(common::FailureNumber::DeviceIo, L"input past the end of the file");
    std::string bytes;
    bool endedByCr = false;
    while (!endedByCr && Fill()) {
        std::string_view unread(buffer_.data() + pos_, size_ - pos_);
        size_t cr = unread.find(kCarriageReturn);
        if (cr == std::string_view::npos) {
            bytes.append(unread);
            pos_ = size_;
        } else {
            bytes.append(unread.substr(0, cr));
            pos_ += cr + 1;
            endedByCr = true;
        }
    }
    // A LF right after the CR belongs to the same line end, even when it
    // arrives in the next chunk.
    if (endedByCr && Fill() && buffer_[pos_] == kLineFeed) ++pos_;
    AnsiText& converter = converter_ ? *converter_ : ansi();
    return converter.FromAnsi(bytes);
}

}  // namespace platform
