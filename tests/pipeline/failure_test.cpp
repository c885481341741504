#include "pipeline/audio_exception.h"
#include "tests/support/event_log.h"
#include "tests/support/pump.h"
#include "tests/support/test_sink.h"
#include "tests/support/test_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

TEST(SinkFailure, ReadErrorEndsTheRunOnTheWorkerAndCleansUp) {
    auto source = MakeComponent<TTestSource>(10 * 16384);
    source->FailAtPosition = 3 * 16384;
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(source.get());

    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return !events.Errors().empty(); }));
    PumpUntil([] { return false; }, 50ms);
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"test source failed at 49152"});
    EXPECT_NE(events.ErrorThreads().front(), std::this_thread::get_id());
    EXPECT_EQ(events.Done(), 0);
    EXPECT_EQ(sink->CloseCalls, 1);
    EXPECT_EQ(source->Closes, 1);
    EXPECT_FALSE(source->Busy());
    EXPECT_FALSE(sink->Busy());
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
    EXPECT_EQ(sink->ReceivedBytes(), 3u * 16384);

    // Nothing is left held: the next run goes through.
    source->FailAtPosition = -1;
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    EXPECT_EQ(sink->ReceivedBytes(), 13u * 16384);
}

// The main window's close waits, without polling, until the sink is idle. A read
// that is still under way when that wait begins and then fails must wake it.
TEST(SinkFailure, ARunEndingInAnErrorWakesTheMainThreadThatWaitsForIt) {
    auto source = MakeComponent<TTestSource>(10 * 16384);
    source->FailAtPosition = 0;
    Gate slowRead(false);
    source->ReadGate = &slowRead;
    auto sink = MakeComponent<TTestSink>();
    sink->SetInput(source.get());
    sink->Start();
    slowRead.AwaitWaiter();

    // The slow read fails only once the main thread has begun to wait: the first
    // look at the sink lets it go on.
    bool released = false;
    const auto idleOrRelease = [&] {
        const bool idle = !sink->Busy();
        if (!released) {
            released = true;
            slowRead.Open();
        }
        return idle;
    };
    // Only a guard against hanging for ever: after a time long enough for any
    // machine, a watchdog wakes the main thread itself.
    Gate testOver(false);
    std::atomic<bool> wokenByWatchdog{false};
    std::thread watchdog([&] {
        if (!testOver.PassWithin(30s)) {
            wokenByWatchdog = true;
            platform::WakeMainThread();
        }
    });
    platform::WaitOnMainThread(idleOrRelease);
    testOver.Open();
    watchdog.join();
    EXPECT_FALSE(wokenByWatchdog) << "the main thread was not woken when the run failed";
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
}

TEST(SinkFailure, ExceptionFromTheProgressHandlerReachesTheWorkersHandler) {
    auto source = MakeComponent<TTestSource>(8 * 16384);
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetOnProgress([](TComponent&) { throw EAudioException("progress handler failed"); });
    sink->SetInput(source.get());

    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return !events.Errors().empty(); }));
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"progress handler failed"});
    EXPECT_NE(events.ErrorThreads().front(), std::this_thread::get_id());
    EXPECT_EQ(events.Done(), 0);
    EXPECT_EQ(sink->CloseCalls, 1);
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
}

TEST(SinkFailure, ExceptionFromTheDoneHandlerIsReportedAfterTheRunWasClosed) {
    auto source = MakeComponent<TTestSource>(2 * 16384);
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetOnDone([](TComponent&) { throw EAudioException("done handler failed"); });
    sink->SetInput(source.get());

    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return !events.Errors().empty(); }));
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"done handler failed"});
    // The run was already finished when the handler ran: no second close.
    EXPECT_EQ(sink->CloseCalls, 1);
    EXPECT_EQ(sink->ReceivedBytes(), 2u * 16384);
}

TEST(SinkFailure, WithoutAHandlerTheFailureIsQuietAndTheSinkStaysUsable) {
    auto source = MakeComponent<TTestSource>(4 * 16384);
    source->FailAtPosition = 16384;
    auto sink = MakeComponent<TTestSink>();
    sink->SetInput(source.get());
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return sink->CloseCalls == 1 && !sink->Busy(); }));

    source->FailAtPosition = -1;
    int done = 0;
    sink->SetOnDone([&](TComponent&) { ++done; });
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return done == 1; }));
}

TEST(SourceClose, CloseQuietlyForgetsTheErrorAndLeavesTheSourceClosed) {
    auto source = MakeComponent<TTestSource>();
    source->OpenSource();
    source->FailClose = true;
    EXPECT_THROW(source->CloseSource(), EAudioException);
    EXPECT_TRUE(source->Busy());
    EXPECT_NO_THROW(source->CloseQuietly());
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(source->Closes, 2);
    EXPECT_EQ(source->GetAuxValue(), 0);
}

} // namespace
} // namespace kestrune::test
