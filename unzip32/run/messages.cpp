#include "unzip32/run/messages.h"

#include <climits>

#include "unzip32/os/os.h"

namespace uz {

bool Reporter::shows(MessageClass c) const {
    const int32_t level = level_ < 0 ? 0 : level_;
    return static_cast<int32_t>(c) >= (level > 2 ? 2 : level);
}

void Reporter::emit(std::string_view piece) {
    if (print_ && !piece.empty()) print_(piece.data(), static_cast<int32_t>(piece.size()));
}

void Reporter::emitLine(std::string_view line) {
    // A line is never cut so that a piece starts with its LF: the LF goes
    // with the last piece that carries text.
    std::string buffer;
    while (line.size() > kMaxPiece) {
        emit(std::string(line.substr(0, kMaxPiece)));
        line.remove_prefix(kMaxPiece);
    }
    buffer.assign(line);
    buffer += '\n';
    emit(buffer);
}

void Reporter::message(MessageClass c, std::string_view utf8Line) {
    if (!print_ || !shows(c)) return;
    emitLine(os::Utf8ToAnsi(utf8Line));
}

void Reporter::requested(std::string_view utf8Text) {
    if (!print_) return;
    const std::string ansi = os::Utf8ToAnsi(utf8Text);
    std::string_view rest(ansi);
    while (!rest.empty()) {
        const size_t end = rest.find_first_of("\r\n");
        std::string_view line = rest.substr(0, end);
        emitLine(line);
        if (end == std::string_view::npos) break;
        // CR LF, LF and a lone CR each end one line.
        rest.remove_prefix(end + ((rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n') ? 2 : 1));
    }
}

void Reporter::data(std::string_view bytes) {
    if (!print_) return;
    // Bytes collect up to a line end or a full piece, whichever comes first;
    // each byte is looked at and copied once, however long a line runs.
    while (!bytes.empty()) {
        const std::string_view window = bytes.substr(0, kMaxPiece - pending_.size());
        const size_t lf = window.find('\n');
        const size_t take = lf == std::string_view::npos ? window.size() : lf + 1;
        pending_.append(window.substr(0, take));
        bytes.remove_prefix(take);
        if (pending_.size() == kMaxPiece || pending_.back() == '\n') {
            emit(pending_);
            pending_.clear();
        }
    }
}

void Reporter::endData() {
    if (!pending_.empty()) emit(pending_);
    pending_.clear();
}

}  // namespace uz
