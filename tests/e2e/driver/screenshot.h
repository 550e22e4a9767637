// Saves what a window shows on the screen, frame included, as a 24-bit BMP.
#pragma once

#include <windows.h>

#include <string>

// Returns false when the pixels cannot be read or the file not written.
bool SaveWindowBitmap(HWND window, const std::wstring& path);
