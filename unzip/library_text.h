// Texts at the library's boundary inside the callbacks: the byte runs the
// library hands over and the password bytes handed back. The library's
// buffers are treated as fixed byte arrays; no byte outside them is touched.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {
struct AnsiText;
}

namespace unzip {

// The bound ANSI text conversion; failure 5 when none is bound.
platform::AnsiText& BoundAnsi();

// Buffer sizes as the callbacks treat them.
constexpr size_t kPrintTextSize = 32801;     // print and service texts: indexes 0..32800
constexpr size_t kNameBytes = 256;           // a file name contributes indexes 0..255
constexpr size_t kPasswordBufferSize = 257;  // the answer buffer: indexes 0..256

// The bytes at `bytes` from index 0 upward, ending before the first zero byte
// or after `limit` bytes. A null address gives an empty run.
std::string_view BoundedRun(const char* bytes, size_t limit);

// The limit of a print or service text given with `length`: below the length
// and within the print buffer; 0 for a length of 0 or less.
size_t PrintLimit(int32_t length);

// Decodes a run through the ANSI code page as a whole, so that a multi-byte
// character set keeps its characters; a single-byte code page gives one
// character per byte.
std::wstring FromLibrary(std::string_view run);

// The bytes to place in the library's answer buffer of `size` bytes for
// `answer`, without the terminating zero. A character with no code in the
// ANSI code page ends the password there. Empty optional when the bytes and
// their zero do not fit in the buffer (nor within the 257 bytes handled):
// a longer answer is refused rather than cut, since a cut password is a
// different password.
std::optional<std::string> PasswordBytes(const std::wstring& answer, int32_t size);

// Clears the first `size` bytes of the answer buffer (never beyond its 257
// bytes) and writes `bytes` from index 0; the bytes must fit (PasswordBytes).
void FillPasswordBuffer(char* buffer, int32_t size, std::string_view bytes);

}  // namespace unzip
