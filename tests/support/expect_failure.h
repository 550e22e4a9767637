// Asserting that a step raises a run-time failure with a given number.
#pragma once

#include <cstdint>
#include <functional>

#include "common/failure.h"

namespace testsupport {

// Runs `step`, which must raise the failure `number`: a test failure when it
// raises another one or none. Returns what it raised (number 0 for nothing),
// for checks of the description and source.
common::Failure ExpectFailure(int32_t number, const std::function<void()>& step);

}  // namespace testsupport
