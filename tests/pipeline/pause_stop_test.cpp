#include "tests/support/event_log.h"
#include "tests/support/pump.h"
#include "tests/support/test_sink.h"
#include "tests/support/test_source.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

// A sink in the middle of a long run, held at a known point: the worker waits
// inside its first read until the test opens the gate.
struct RunningSink {
    RunningSink() {
        source->ReadGate = &gate;
        events.Attach(*sink);
        sink->SetInput(source.get());
        sink->Start();
        gate.AwaitWaiter();
    }
    Gate gate{false};
    ComponentPtr<TTestSource> source = MakeComponent<TTestSource>(400 * 16384);
    ComponentPtr<TTestSink> sink = MakeComponent<TTestSink>();
    EventLog events;
};

TEST(SinkPause, StatusReadsPausedAtOnceAndTheWorkerStopsAtTheNextBlock) {
    RunningSink run;
    run.sink->Pause();
    EXPECT_EQ(run.sink->Status(), TOutputStatus::osPaused);
    run.gate.Open();
    // The block being read completes; after it the worker parks.
    ASSERT_TRUE(PumpUntil([&] { return run.sink->ReceivedBytes() >= 16384; }));
    PumpUntil([] { return false; }, 100ms);
    const auto parkedAt = run.sink->ReceivedBytes();
    PumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(run.sink->ReceivedBytes(), parkedAt);
    EXPECT_EQ(parkedAt, 16384u) << "only the block under way when Pause came";
    EXPECT_EQ(run.sink->Status(), TOutputStatus::osPaused);

    run.sink->Resume();
    EXPECT_EQ(run.sink->Status(), TOutputStatus::osActive);
    ASSERT_TRUE(PumpUntil([&] { return run.events.Done() == 1; }));
    EXPECT_EQ(run.sink->ReceivedBytes(), 400u * 16384);
}

TEST(SinkStop, EndsTheRunEarlyWithOneDoneAndEverythingClosed) {
    RunningSink run;
    run.sink->Stop();
    run.gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return run.events.Done() == 1; }));
    EXPECT_LT(run.sink->ReceivedBytes(), 400u * 16384);
    EXPECT_EQ(run.sink->CloseCalls, 1);
    EXPECT_EQ(run.source->Closes, 1);
    EXPECT_EQ(run.sink->Status(), TOutputStatus::osIdle);
}

TEST(SinkStop, WhilePausedWaitsForResumeAndThenDeliversExactlyOneDone) {
    RunningSink run;
    run.sink->Pause();
    run.gate.Open();
    run.sink->Stop();
    PumpUntil([] { return false; }, 150ms);
    EXPECT_EQ(run.events.Done(), 0);
    EXPECT_EQ(run.sink->Status(), TOutputStatus::osPaused);
    EXPECT_TRUE(run.sink->Busy());

    run.sink->Resume();
    ASSERT_TRUE(PumpUntil([&] { return run.events.Done() == 1; }));
    PumpUntil([] { return false; }, 150ms);
    EXPECT_EQ(run.events.Done(), 1);
    EXPECT_EQ(run.sink->CloseCalls, 1);
    EXPECT_EQ(run.sink->Status(), TOutputStatus::osIdle);
}

TEST(SinkResume, BeforeAnyRunIdlesQuietlyUntilStopEndsAnEmptyRun) {
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->Resume();
    PumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(sink->WriteCalls, 0) << "no run, no block";
    EXPECT_EQ(events.Done(), 0);
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);

    sink->Stop();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    EXPECT_EQ(sink->CloseCalls, 0) << "there was no run to finish";
    EXPECT_TRUE(events.Errors().empty());
}

TEST(SinkResume, WithoutSuspendWhenIdleTheWorkerKeepsReportingProgressAfterARun) {
    // The log outlives the sink: an awake worker reports until the sink is gone.
    EventLog events;
    auto source = MakeComponent<TTestSource>(2 * 16384);
    auto sink = MakeComponent<TTestSink>();
    sink->SetSuspendWhenIdle(false);
    events.Attach(*sink);
    sink->SetInput(source.get());
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    // The closed source has no size any more: the idle worker notices 100 -> 0.
    ASSERT_TRUE(PumpUntil([&] { return events.Progress().back() == 0; }));
    EXPECT_EQ(events.Progress(), (std::vector<int>{50, 100, 0}));
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);

    // And a new run starts straight away.
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 2; }));
}

} // namespace
} // namespace kestrune::test
