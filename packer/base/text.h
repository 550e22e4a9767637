// UTF-8 for what the tool prints and for the archive's entry names; the
// program's own texts are wide, as in the installer.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace packer {

// Wide text (UTF-16 or UTF-32, as wchar_t is) to UTF-8; a lone surrogate
// becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);
// UTF-8 to wide text; a malformed sequence becomes U+FFFD.
std::wstring FromUtf8(std::string_view bytes);

// A text quoted for a message: "value", with line ends shown as \r and \n.
std::string Quoted(std::wstring_view text);
// A name as Windows compares file names: letters of the alphabets of the
// single-byte code pages (Latin, Greek, Cyrillic) in upper case, whatever
// the locale. Other scripts are compared as they are.
std::wstring FoldCase(std::wstring text);

// One character for a message: "\"\u00E9\" (U+00E9)", or only U+0009 for a
// control character.
std::string ShownCharacter(char32_t c);

// A value that names a full path on Windows: a drive letter and colon, or a
// leading separator (the root of the drive, or a network path).
bool IsFullPath(std::wstring_view value);

// Whether `bytes` are well-formed UTF-8.
bool IsUtf8(std::string_view bytes);
// Bytes meant as UTF-8 quoted for a message: "caf\xE9.txt", each byte that
// is no part of a well-formed sequence shown as \xHH.
std::string QuotedBytes(std::string_view bytes);

// A path as UTF-8 with the system's own separator, and quoted for a message
// (a POSIX name's bytes that are not UTF-8 as QuotedBytes shows them).
std::string PathText(const std::filesystem::path& path);
std::string QuotedPath(const std::filesystem::path& path);

}  // namespace packer
