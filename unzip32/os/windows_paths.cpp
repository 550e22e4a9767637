#include "unzip32/os/windows_paths.h"

namespace uz::os {
namespace {

constexpr wchar_t kLongPrefix[] = LR"(\\?\)";
constexpr wchar_t kNativePrefix[] = LR"(\??\)";
constexpr wchar_t kUncMark[] = LR"(UNC\)";  // after either prefix: \\server\share
constexpr size_t kPrefixLength = 4;
constexpr size_t kUncMarkLength = 4;

bool StartsWith(const std::wstring& text, const wchar_t* start, size_t at = 0) {
    return text.compare(at, std::wstring::traits_type::length(start), start) == 0;
}

// The path with the prefix `prefix` in front: the plain form's leading \\ of
// a share becomes UNC\.
std::wstring Prefixed(const std::wstring& path, const wchar_t* prefix) {
    const std::wstring plain = PlainForm(path);
    if (StartsWith(plain, LR"(\\)")) return prefix + (kUncMark + plain.substr(2));
    return prefix + plain;
}

}  // namespace

std::wstring PlainForm(const std::wstring& path) {
    if (!StartsWith(path, kLongPrefix) && !StartsWith(path, kNativePrefix)) return path;
    if (StartsWith(path, kUncMark, kPrefixLength)) return LR"(\\)" + path.substr(kPrefixLength + kUncMarkLength);
    return path.substr(kPrefixLength);
}

std::wstring LongForm(const std::wstring& path) { return Prefixed(path, kLongPrefix); }

std::wstring NativeForm(const std::wstring& path) { return Prefixed(path, kNativePrefix); }

}  // namespace uz::os
