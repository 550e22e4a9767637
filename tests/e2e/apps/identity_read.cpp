// Reads a program file's identity back through Windows' own functions and
// prints it as "key=value" lines (UTF-8): the version texts of the US
// English, Unicode table (GetFileVersionInfo / VerQueryValue), the version
// numbers, and the sizes and centre colour of the icon ExtractIconEx gives
// for index 0.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

void PrintLine(const char* key, const std::wstring& value) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, value.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    std::printf("%s=%s\n", key, utf8.c_str());
}

// The width and height of an icon's colour bitmap and the colour of its
// centre pixel (RRGGBB); the icon and both bitmaps are released.
std::wstring IconSize(HICON icon) {
    if (!icon) return L"none";
    ICONINFO info{};
    std::wstring size = L"unknown";
    if (GetIconInfo(icon, &info)) {
        BITMAP bitmap{};
        if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bitmap, &bitmap)) {
            size = std::to_wstring(bitmap.bmWidth) + L"x" + std::to_wstring(bitmap.bmHeight);
            BITMAPINFO format{};
            format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            format.bmiHeader.biWidth = bitmap.bmWidth;
            format.bmiHeader.biHeight = bitmap.bmHeight;
            format.bmiHeader.biPlanes = 1;
            format.bmiHeader.biBitCount = 32;
            format.bmiHeader.biCompression = BI_RGB;
            std::vector<DWORD> pixels(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
            HDC screen = GetDC(nullptr);
            if (GetDIBits(screen, info.hbmColor, 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS)) {
                wchar_t colour[16];
                swprintf(colour, 16, L" %06lX", pixels[pixels.size() / 2 + bitmap.bmWidth / 2] & 0xFFFFFF);
                size += colour;
            }
            ReleaseDC(nullptr, screen);
        }
        if (info.hbmColor) DeleteObject(info.hbmColor);
        if (info.hbmMask) DeleteObject(info.hbmMask);
    }
    DestroyIcon(icon);
    return size;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: identity_read FILE.exe\n");
        return 2;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(argv[1], 0, size, block.data())) {
        std::fprintf(stderr, "identity_read: no version information\n");
        return 1;
    }
    for (const wchar_t* key : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                               L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        if (VerQueryValueW(block.data(), path.c_str(), &value, &length) && length > 0)
            PrintLine(std::string(key, key + wcslen(key)).c_str(), static_cast<const wchar_t*>(value));
    }
    void* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", &fixed, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
        PrintLine("FixedFileVersion", std::to_wstring(HIWORD(info->dwFileVersionMS)) + L"." +
                                          std::to_wstring(LOWORD(info->dwFileVersionMS)) + L"." +
                                          std::to_wstring(HIWORD(info->dwFileVersionLS)) + L"." +
                                          std::to_wstring(LOWORD(info->dwFileVersionLS)));
    }
    HICON large = nullptr, small = nullptr;
    const UINT icons = ExtractIconExW(argv[1], -1, nullptr, nullptr, 0);
    ExtractIconExW(argv[1], 0, &large, &small, 1);
    PrintLine("Icons", std::to_wstring(icons));
    PrintLine("LargeIcon", IconSize(large));
    PrintLine("SmallIcon", IconSize(small));
    return 0;
}
