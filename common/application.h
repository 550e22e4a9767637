// The application's title: every message or input box that names no title
// of its own carries it, and so does the report of an unhandled failure.
#pragma once

namespace common {

inline constexpr wchar_t kApplicationTitle[] = L"SETUP";

}  // namespace common
