#include "screenshot.h"

#include <vector>

#include "platform/win32/handles.h"

namespace {

using platform::win32::Owned;
using platform::win32::UniqueFileHandle;

int ReleaseScreenDc(HDC dc) { return ReleaseDC(nullptr, dc); }
using UniqueScreenDc = Owned<HDC, ReleaseScreenDc>;
using UniqueMemoryDc = Owned<HDC, DeleteDC>;
using UniqueBitmap = Owned<HBITMAP, DeleteObject>;

}  // namespace

bool SaveWindowBitmap(HWND window, const std::wstring& path) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    UniqueScreenDc screen(GetDC(nullptr));
    UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen || !memory || !bitmap) return false;
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    SelectObject(memory.get(), previous);
    if (!copied) return false;

    // Bottom-up rows of 24-bit pixels, each row padded to 4 bytes.
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
    if (!GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(),
                   reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS)) {
        return false;
    }

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), &header, sizeof header, &written, nullptr) &&
           WriteFile(file.get(), &info, sizeof info, &written, nullptr) &&
           WriteFile(file.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}
