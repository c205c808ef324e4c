#pragma once

#include "platform/Status.h"

#include <gtest/gtest.h>

namespace orbicap::test {

// ASSERT_TRUE(Succeeded(step)) prints the step's own message when it failed.
inline ::testing::AssertionResult Succeeded(const Status& status) {
    if (status.Ok())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << status.Message();
}

template <typename T>::testing::AssertionResult Succeeded(const Result<T>& result) {
    return Succeeded(result.Outcome());
}

} // namespace orbicap::test
