#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

namespace kestrune::platform {
namespace {

using namespace std::chrono_literals;

TEST(ChildProcess, WaitingForAnyEndReturnsWhenTheFirstEndsNotAtItsTimeout) {
    // --all starts the next worker as one ends; a wait that slept out its
    // timeout would leave a core idle for that long after every track.
    ChildProcess quick("/bin/sleep", {"0.2"});
    ChildProcess slow("/bin/sleep", {"120"});
    const auto began = std::chrono::steady_clock::now();
    while (!quick.Poll()) {
        WaitForAnyEnd({&quick, &slow}, 60s);
        ASSERT_LT(std::chrono::steady_clock::now() - began, 30s) << "the wait missed the end";
    }
    EXPECT_EQ(quick.Status(), 0);
    EXPECT_FALSE(slow.Poll());
    slow.Signal(SIGTERM);
    EXPECT_EQ(slow.Wait(), 128 + SIGTERM);
}

TEST(ChildProcess, WaitingWithAProgramAlreadyReapedReturnsAtOnce) {
    // The caller reaps with Poll(); one it has reaped must not make the next
    // wait block for its whole timeout.
    ChildProcess done("/bin/true", {});
    EXPECT_EQ(done.Wait(), 0);
    ChildProcess slow("/bin/sleep", {"120"});
    const auto began = std::chrono::steady_clock::now();
    WaitForAnyEnd({&done, &slow}, 60s);
    EXPECT_LT(std::chrono::steady_clock::now() - began, 30s);
    slow.Signal(SIGTERM);
    slow.Wait();
}

} // namespace
} // namespace kestrune::platform
