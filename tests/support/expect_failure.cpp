#include "expect_failure.h"

#include <gtest/gtest.h>

namespace testsupport {

common::Failure ExpectFailure(int32_t number, const std::function<void()>& step) {
    try {
        step();
    } catch (const common::Failure& failure) {
        EXPECT_EQ(failure.Number(), number) << failure.what();
        return failure;
    }
    ADD_FAILURE() << "no failure; expected " << number;
    return common::Failure(0, L"no failure");
}

}  // namespace testsupport
