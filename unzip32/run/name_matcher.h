// Include and exclude lists: wildcard patterns ('*' any run of characters,
// '/' included; '?' one character; "[...]" one of a set, with ranges and a
// leading '!' or '^' to negate). Both slashes count as the same separator.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace uz {

bool WildcardMatch(std::string_view pattern, std::string_view name, bool caseSensitive);

class NameFilter {
public:
    NameFilter(std::vector<std::string> include, std::vector<std::string> exclude, bool caseSensitive);

    // True when the entry is selected; records which include patterns matched.
    bool selects(std::string_view name);
    // Include patterns that matched no entry so far.
    std::vector<std::string> unmatched() const;
    bool hasIncludes() const { return !include_.empty(); }

private:
    std::vector<std::string> include_;
    std::vector<std::string> exclude_;
    std::vector<bool> used_;
    bool caseSensitive_;
};

}  // namespace uz
