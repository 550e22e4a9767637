// How the setup window shows MESSAGE: its label is 371 x 77 pixels at 96 DPI
// (5565 x 1155 twips, installer/win32/setup_layout.h), in the dialog font;
// text wraps between words and what does not fit is cut at the label's foot.
#pragma once

#include <string>
#include <string_view>

namespace packer {

// Lines the label holds: five whole ones and the sixth without its foot,
// the same at any DPI since the font grows with the label.
inline constexpr int kMessageLinesShown = 6;

// The text the label shows: "&&" is one "&", and a single "&" is not shown
// (it underlines the character after it).
std::wstring ShownMessage(std::wstring_view value);

// Lines the shown text wraps into, and in `lastShown` the text up to the end
// of line `kMessageLinesShown`.
int WrappedLines(std::wstring_view shown, std::wstring* lastShown = nullptr);

}  // namespace packer
