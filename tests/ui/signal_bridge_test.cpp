#include "platform/SignalBridge.h"
#include "tests/support/RunUntil.h"

#include <gtest/gtest.h>

#include <csignal>

namespace orbicap {
namespace {

// Each signal that ends a session reaches the window thread as a call, not
// as the default action that would kill the program with its file unfinished.
TEST(SignalBridge, TurnsEachEndingSignalIntoACall) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        int calls = 0;
        const SignalBridge bridge([&calls] { ++calls; });
        ASSERT_EQ(::raise(signal), 0);
        EXPECT_TRUE(test::RunUntil([&] { return calls == 1; }, 10000)) << "signal " << signal;
    }
}

} // namespace
} // namespace orbicap
