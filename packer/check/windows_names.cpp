#include "packer/check/windows_names.h"

#include "packer/base/text.h"
#include "unzip32/reuse/names.h"

namespace packer {

namespace {

constexpr std::wstring_view kReservedCharacters = L"<>\"|?*\\/";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

std::optional<NameProblem> ProblemOfName(std::wstring_view name) {
    if (name == L"." || name == L"..") return NameProblem{NameTrouble::DotSegment};
    if (uz::IsWindowsDeviceName(ToUtf8(name))) return NameProblem{NameTrouble::DeviceName};
    for (wchar_t c : name) {
        if (c == L':') return NameProblem{NameTrouble::Colon, c};
        if (c > 0 && c < 0x20) return NameProblem{NameTrouble::ControlCharacter, c};
        if (kReservedCharacters.find(c) != std::wstring_view::npos) {
            return NameProblem{NameTrouble::ReservedCharacter, c};
        }
    }
    if (!name.empty() && (name.back() == L'.' || name.back() == L' ')) {
        return NameProblem{NameTrouble::TrailingDotOrSpace, name.back()};
    }
    return std::nullopt;
}

std::vector<std::wstring_view> PathComponents(std::wstring_view path) {
    std::vector<std::wstring_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsSeparator(path[i])) continue;
        if (i > start) parts.push_back(path.substr(start, i - start));
        start = i + 1;
    }
    return parts;
}

const char* CodeOf(NameTrouble trouble) {
    switch (trouble) {
        case NameTrouble::DotSegment: return "dot-segment";
        case NameTrouble::DeviceName: return "device-name";
        case NameTrouble::Colon: return "colon";
        case NameTrouble::ReservedCharacter: return "reserved-character";
        case NameTrouble::ControlCharacter: return "control-character";
        case NameTrouble::TrailingDotOrSpace: return "trailing-dot-or-space";
    }
    return "name";
}

std::string Explain(const NameProblem& problem, std::wstring_view name) {
    const std::string shown = Quoted(name);
    switch (problem.trouble) {
        case NameTrouble::DotSegment:
            return shown + " is no name but the folder itself or its parent";
        case NameTrouble::DeviceName:
            return shown + " is a device name on Windows (with any extension), which no file or "
                           "folder can have";
        case NameTrouble::Colon:
            return shown + " holds a colon, which Windows reads as a drive or a data stream";
        case NameTrouble::ReservedCharacter:
        case NameTrouble::ControlCharacter:
            return shown + " holds " + ShownCharacter(static_cast<char32_t>(problem.character)) +
                   ", which no Windows file or folder name may hold";
        case NameTrouble::TrailingDotOrSpace: {
            std::wstring_view kept = name;
            while (!kept.empty() && (kept.back() == L'.' || kept.back() == L' ')) kept.remove_suffix(1);
            return shown + " ends in a " + (problem.character == L'.' ? "dot" : "space") +
                   ", which Windows drops: the name becomes " + Quoted(kept);
        }
    }
    return shown;
}

}  // namespace packer
