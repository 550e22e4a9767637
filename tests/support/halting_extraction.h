// An extraction that stops in the middle of an entry, for the tests that end
// its process there: the library's own extractor, as `options` say, except
// that the read that reaches the archive's middle calls `halted` and never
// returns. Returns only if it never got there (the run's result).
#pragma once

#include <cstdint>
#include <functional>

#include "unzip32/unzip32.h"

namespace uztest {

int32_t ExtractUntilHalfway(const UnzipOptionsRecord& options, const std::function<void()>& halted);

}  // namespace uztest
