#include "packer/check/setup_lines.h"

namespace packer {

std::string_view SetupLine::Key() const {
    const auto parts = Parts();
    return parts ? parts->key : std::string_view(bytes);
}

std::string_view SetupLine::Value() const {
    const auto parts = Parts();
    return parts ? parts->value : std::string_view();
}

bool SetupLine::HasSecondEquals() const {
    const auto parts = Parts();
    return parts && parts->valueCut;
}

std::vector<SetupLine> SplitSetupLines(std::string_view bytes) {
    std::vector<SetupLine> lines;
    int editorLine = 1;
    size_t pos = 0;
    while (pos < bytes.size()) {
        SetupLine line;
        line.firstLine = editorLine;
        size_t cr = bytes.find('\r', pos);
        const size_t end = cr == std::string_view::npos ? bytes.size() : cr;
        line.bytes.assign(bytes.substr(pos, end - pos));
        for (size_t i = 0; i < line.bytes.size(); ++i) {
            if (line.bytes[i] != '\n') continue;
            ++line.loneLineFeeds;
            // A lone LF that ends the file ends the last editor line; no line follows.
            if (i + 1 < line.bytes.size() || cr != std::string_view::npos) ++editorLine;
        }
        line.lastLine = editorLine;
        pos = end;
        if (cr != std::string_view::npos) {
            ++pos;
            if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
            ++editorLine;
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace packer
