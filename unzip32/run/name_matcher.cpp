#include "unzip32/run/name_matcher.h"

namespace uz {
namespace {

char Fold(char c, bool caseSensitive) {
    if (c == '\\') return '/';
    if (!caseSensitive && c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    return c;
}

// Matches a "[...]" set at pattern[p] (p just after '['). Sets `end` to the
// index after ']'; returns false for a set without its closing bracket.
bool MatchSet(std::string_view pattern, size_t p, char c, bool caseSensitive, bool& matched, size_t& end) {
    bool negate = false;
    if (p < pattern.size() && (pattern[p] == '!' || pattern[p] == '^')) negate = true, ++p;
    bool hit = false;
    bool first = true;
    while (p < pattern.size() && (first || pattern[p] != ']')) {
        first = false;
        char lo = Fold(pattern[p], caseSensitive);
        char hi = lo;
        if (p + 2 < pattern.size() && pattern[p + 1] == '-' && pattern[p + 2] != ']') {
            hi = Fold(pattern[p + 2], caseSensitive);
            p += 3;
        } else {
            p += 1;
        }
        const auto u = static_cast<unsigned char>(c);
        if (u >= static_cast<unsigned char>(lo) && u <= static_cast<unsigned char>(hi)) hit = true;
    }
    if (p >= pattern.size()) return false;
    end = p + 1;
    matched = hit != negate;
    return true;
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name, bool caseSensitive) {
    // Iterative matching with one backtrack point for the last '*': linear
    // in practice, never exponential.
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        const char c = Fold(name[n], caseSensitive);
        if (p < pattern.size()) {
            const char pc = pattern[p];
            if (pc == '*') {
                starP = p++;
                starN = n;
                continue;
            }
            if (pc == '?') {
                ++p, ++n;
                continue;
            }
            if (pc == '[') {
                bool matched;
                size_t end;
                if (MatchSet(pattern, p + 1, c, caseSensitive, matched, end)) {
                    if (matched) {
                        p = end, ++n;
                        continue;
                    }
                } else if (c == '[') {  // an unclosed '[' stands for itself
                    ++p, ++n;
                    continue;
                }
            } else if (Fold(pc, caseSensitive) == c) {
                ++p, ++n;
                continue;
            }
        }
        if (starP == std::string_view::npos) return false;
        p = starP + 1;
        n = ++starN;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

NameFilter::NameFilter(std::vector<std::string> include, std::vector<std::string> exclude, bool caseSensitive)
    : include_(std::move(include)), exclude_(std::move(exclude)), used_(include_.size(), false),
      caseSensitive_(caseSensitive) {}

bool NameFilter::selects(std::string_view name) {
    bool selected = include_.empty();
    for (size_t i = 0; i < include_.size(); ++i) {
        if (WildcardMatch(include_[i], name, caseSensitive_)) {
            used_[i] = true;
            selected = true;
        }
    }
    if (!selected) return false;
    for (const auto& pattern : exclude_)
        if (WildcardMatch(pattern, name, caseSensitive_)) return false;
    return true;
}

std::vector<std::string> NameFilter::unmatched() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < include_.size(); ++i)
        if (!used_[i]) out.push_back(include_[i]);
    return out;
}

}  // namespace uz
