#include "unzip32/modes/path_sanitizer.h"

#include <algorithm>
#include <cctype>

namespace uz {
namespace {

bool IsSlash(char c) { return c == '/' || c == '\\'; }

std::vector<std::string_view> Split(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || IsSlash(path[i])) {
            parts.push_back(path.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

bool IsWindowsDeviceName(std::string_view component) {
    // The device is named by what stands before the first dot, blanks trimmed:
    // "con.txt" and "NUL " open the device too.
    std::string base = Upper(component.substr(0, component.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char* const kFixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* name : kFixed)
        if (base == name) return true;
    if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
        std::isdigit(static_cast<unsigned char>(base[3])))
        return true;
    // COM and LPT with a superscript digit 1-3 ("COM\u00b9"), which Windows also maps.
    if (base.size() == 5 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
        static_cast<unsigned char>(base[3]) == 0xC2) {
        const auto d = static_cast<unsigned char>(base[4]);
        if (d == 0xB9 || d == 0xB2 || d == 0xB3) return true;
    }
    return false;
}

SafePath SanitizePath(std::string_view name, const PathRules& rules) {
    SafePath out;
    if (name.find('\0') != std::string_view::npos) {
        out.refusal = "its name contains a zero byte";
        return out;
    }
    if (!name.empty() && IsSlash(name.front())) {
        out.refusal = "it has an absolute path";
        return out;
    }
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
        out.refusal = "its path starts with a drive letter";
        return out;
    }
    for (std::string_view part : Split(name)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            out.refusal = "its path leads out of the destination (\"..\")";
            return out;
        }
        std::string component(part);
        if (rules.windows) {
            // Win32 drops trailing dots and blanks; with \\?\ paths they would
            // stay and give names nothing else can open.
            while (!component.empty() && (component.back() == '.' || component.back() == ' '))
                component.pop_back();
            if (component.empty()) {
                out.refusal = "its path has a component of dots only";
                return out;
            }
            if (component.find(':') != std::string::npos) {
                out.refusal = "its name contains a colon (drive or stream name)";
                return out;
            }
            if (IsWindowsDeviceName(component)) {
                out.refusal = "\"" + component + "\" is a reserved device name";
                return out;
            }
            for (auto& c : component) {
                const auto b = static_cast<unsigned char>(c);
                if (b < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') c = '_';
            }
        }
        if (rules.spaceToUnderscore) std::replace(component.begin(), component.end(), ' ', '_');
        out.components.push_back(std::move(component));
    }
    if (rules.flatten && out.components.size() > 1) {
        out.components.erase(out.components.begin(), out.components.end() - 1);
    }
    return out;
}

bool LinkStaysInside(const std::vector<std::string>& linkComponents, std::string_view target) {
    if (target.empty() || IsSlash(target.front())) return false;
    if (target.size() >= 2 && target[1] == ':') return false;
    if (target.find('\0') != std::string_view::npos) return false;
    // Resolve from the folder that holds the link. ".." is allowed only
    // before every other component: after one, it could climb back out of
    // another link whose target is shallower than its own place, which no
    // reading of the text alone can see.
    long depth = static_cast<long>(linkComponents.size()) - 1;
    bool descended = false;
    for (std::string_view part : Split(target)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (descended || --depth < 0) return false;
        } else {
            descended = true;
            ++depth;
        }
    }
    return true;
}

}  // namespace uz
