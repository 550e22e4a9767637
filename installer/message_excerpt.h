// What of a long text fits in a message box. A box grows with its text and
// is never cut by the system, so the library's whole output (one line per
// refused entry) can push the box and its OK button off the screen.
#pragma once

#include <string>

namespace installer {

constexpr size_t kExcerptLines = 20;
constexpr size_t kExcerptCharacters = 2000;

// The first lines of `text` up to either limit, then one line saying how
// many lines are left out. A text within both limits comes back unchanged.
std::wstring MessageExcerpt(const std::wstring& text);

}  // namespace installer
