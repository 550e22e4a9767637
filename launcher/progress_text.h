// How the launcher's window states its progress: "3.4 MB of 120.0 MB", both
// amounts in the unit that suits the total, rounded down to a tenth, so that
// the text reaches the total only when everything is out.
#pragma once

#include <cstdint>
#include <string>

namespace launcher {

std::wstring ProgressText(uint64_t done, uint64_t total);

}  // namespace launcher
