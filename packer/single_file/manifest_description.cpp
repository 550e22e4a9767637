#include "packer/single_file/manifest_description.h"

#include "packer/base/text.h"

namespace packer::single_file {

namespace {

constexpr std::string_view kOpen = "<description>";
constexpr std::string_view kClose = "</description>";

std::string EscapedForXml(std::wstring_view text) {
    std::string out;
    for (const char c : ToUtf8(text)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> WithDescription(std::string_view manifest, std::wstring_view description) {
    const size_t open = manifest.find(kOpen);
    if (open == std::string_view::npos || manifest.find(kOpen, open + 1) != std::string_view::npos) return std::nullopt;
    const size_t text = open + kOpen.size();
    const size_t close = manifest.find(kClose, text);
    if (close == std::string_view::npos) return std::nullopt;
    return std::string(manifest.substr(0, text)) + EscapedForXml(description) + std::string(manifest.substr(close));
}

}  // namespace packer::single_file
