#include "tests/support/event_log.h"
#include "tests/support/pump.h"
#include "tests/support/test_sink.h"
#include "tests/support/test_source.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

std::size_t CountTasks() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
}

// The threads of this process, once the count has settled: a thread that was
// just joined can still be listed for a moment.
std::size_t ThreadsOfThisProcess() {
    // A sanitizer starts a helper thread of its own with the first thread the
    // program makes; make sure it exists before anything is counted.
    static const bool warmedUp = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)warmedUp;
    std::size_t count = CountTasks();
    for (int settle = 0; settle < 200; ++settle) {
        std::this_thread::sleep_for(2ms);
        const std::size_t again = CountTasks();
        if (again == count) {
            break;
        }
        count = again;
    }
    return count;
}

TEST(SinkLifetime, IdleSinkIsDestroyedAtOnceAndLeavesNoThread) {
    const auto before = ThreadsOfThisProcess();
    {
        auto sink = MakeComponent<TTestSink>();
        EXPECT_EQ(ThreadsOfThisProcess(), before + 1);
    }
    EXPECT_EQ(ThreadsOfThisProcess(), before);
}

TEST(SinkLifetime, SinkDestroyedAfterARunLeavesNoThread) {
    const auto before = ThreadsOfThisProcess();
    auto source = MakeComponent<TTestSource>(2 * 16384);
    {
        auto sink = MakeComponent<TTestSink>();
        int done = 0;
        sink->SetOnDone([&](TComponent&) { ++done; });
        sink->SetInput(source.get());
        sink->Start();
        ASSERT_TRUE(PumpUntil([&] { return done == 1; }));
    }
    EXPECT_EQ(ThreadsOfThisProcess(), before);
}

TEST(SinkLifetime, PausedSinkIsDestroyedAndItsRunIsFinished) {
    const auto before = ThreadsOfThisProcess();
    Gate gate(false);
    auto source = MakeComponent<TTestSource>(64 * 16384);
    source->ReadGate = &gate;
    {
        auto sink = MakeComponent<TTestSink>();
        EventLog events;
        events.Attach(*sink);
        sink->SetInput(source.get());
        sink->Start();
        gate.AwaitWaiter();
        sink->Pause();
        gate.Open();
        ASSERT_TRUE(PumpUntil([&] { return sink->ReceivedBytes() == 16384; }));
        sink.reset();
        EXPECT_EQ(events.Done(), 0);
    }
    EXPECT_EQ(source->Closes, 1);
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(ThreadsOfThisProcess(), before);
}

TEST(SinkLifetime, RunningSinkWhoseWorkerWaitsForTheMainThreadIsDestroyedWithoutHanging) {
    const auto before = ThreadsOfThisProcess();
    auto source = MakeComponent<TTestSource>(400 * 16384);
    auto sink = MakeComponent<TTestSink>();
    std::atomic<int> progressCalls{0};
    sink->SetOnProgress([&](TComponent&) { ++progressCalls; });
    sink->SetInput(source.get());
    sink->Start();
    // Nothing pumps: the worker is soon stuck handing its first progress over.
    while (sink->WriteCalls < 2) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(progressCalls, 0);
    sink.reset();
    EXPECT_GE(progressCalls, 1);
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(ThreadsOfThisProcess(), before);
}

} // namespace
} // namespace kestrune::test
