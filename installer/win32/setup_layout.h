// The setup window's layout, in twips of the client area (15 twips are one
// pixel at 96 DPI, so every value below is a whole number of pixels there).
#pragma once

#include <windows.h>

namespace installer::win32 {

struct TwipRect {
    int left, top, width, height;
};

// Client area of the window: 388 x 141 pixels at 96 DPI.
constexpr int kClientWidthTwips = 5820;
constexpr int kClientHeightTwips = 2115;
constexpr int kTwipsPerInch = 1440;

// Control identifiers; the automation driver addresses the controls by them.
constexpr int kTargetId = 100;    // `target`, the destination folder box
constexpr int kCommand1Id = 101;  // `Command1`, the Install button
constexpr int kLabel1Id = 102;    // `Label1`, "Destination Folder"
constexpr int kMessageId = 103;   // `message`, the text at the top

constexpr TwipRect kCommand1Rect{4860, 1710, 825, 315};  // (324, 114, 55, 21)
constexpr TwipRect kTargetRect{120, 1710, 4635, 315};    // (8, 114, 309, 21)
constexpr TwipRect kMessageRect{120, 90, 5565, 1155};    // (8, 6, 371, 77)
constexpr TwipRect kLabel1Rect{150, 1470, 1365, 225};    // (10, 98, 91, 15)

constexpr wchar_t kWindowClass[] = L"frmSetup";
constexpr wchar_t kDesignedCaption[] = L"Setup";
constexpr wchar_t kInstallText[] = L"&Install";
constexpr wchar_t kDesignedMessage[] =
    L"Press the Install button to start the installation of this program";
constexpr wchar_t kLabel1Text[] = L"Destination Folder";

// Twips to device pixels at `dpi` dots per inch.
inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, kTwipsPerInch); }

}  // namespace installer::win32
