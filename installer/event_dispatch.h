// Runs the window's event handlers. A failure that escapes a handler gets the
// standard report of an unhandled failure and ends the program.
#pragma once

#include <functional>

#include "common/failure.h"

namespace installer {

// The standard report: a box titled with the application title that states
// the failure's number and description; then the program exits non-zero.
[[noreturn]] void ReportUnhandledFailure(const common::Failure& failure);

void DispatchEvent(const std::function<void()>& handler);

}  // namespace installer
