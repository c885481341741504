#include "pipeline/audio_exception.h"
#include "tests/support/event_log.h"
#include "tests/support/pump.h"
#include "tests/support/test_sink.h"
#include "tests/support/test_source.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EAudioException& e) {
        return e.what();
    }
    return "no exception";
}

TEST(SinkStart, WithoutInputRaisesAndLeavesTheSinkAsItWas) {
    auto sink = MakeComponent<TTestSink>();
    EXPECT_EQ(MessageOf([&] { sink->Start(); }), "Input is not assigned");
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
    EXPECT_EQ(sink->OpenCalls, 0);
}

TEST(SinkStart, OnABusySinkRaisesAndTheRunGoesOnUnchanged) {
    Gate gate(false);
    auto source = MakeComponent<TTestSource>(4 * 16384);
    source->ReadGate = &gate;
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(source.get());

    sink->Start();
    gate.AwaitWaiter();
    EXPECT_EQ(MessageOf([&] { sink->Start(); }), "Component is Busy");
    EXPECT_EQ(sink->OpenCalls, 1);
    EXPECT_EQ(source->Opens, 1);
    EXPECT_EQ(sink->Status(), TOutputStatus::osActive);

    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    EXPECT_EQ(sink->ReceivedBytes(), 4u * 16384);
    EXPECT_TRUE(events.Errors().empty());
}

TEST(SinkStart, FullRunDeliversEveryByteInOrderThenOneDoneOnTheMainThread) {
    auto source = MakeComponent<TTestSource>(5 * 16384 + 1234);
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(source.get());

    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    const auto received = sink->Received();
    ASSERT_EQ(received.size(), 5u * 16384 + 1234);
    for (std::size_t i = 0; i < received.size(); ++i) {
        ASSERT_EQ(received[i], TTestSource::PatternAt(static_cast<std::int64_t>(i))) << i;
    }
    EXPECT_EQ(events.DoneThreads().front(), std::this_thread::get_id());
    EXPECT_NE(sink->CloseThread.load(), std::this_thread::get_id());
    EXPECT_EQ(sink->CloseCalls, 1);
    EXPECT_EQ(source->Closes, 1);
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
}

TEST(SinkStart, FailingOpenOutputReportsOnTheCallersThreadAndNeverCloses) {
    auto source = MakeComponent<TTestSource>();
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(source.get());
    sink->FailOpen = true;

    EXPECT_NO_THROW(sink->Start());
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"test sink cannot open"});
    EXPECT_EQ(events.ErrorThreads().front(), std::this_thread::get_id());
    EXPECT_EQ(sink->CloseCalls, 0);
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
    EXPECT_FALSE(sink->Busy());

    // The sink is usable again once the cause is gone.
    sink->FailOpen = false;
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    EXPECT_EQ(sink->CloseCalls, 1);
}

TEST(SinkStart, SourceThatCannotOpenFailsTheStartTheSameWay) {
    auto source = MakeComponent<TTestSource>();
    source->FailOpen = true;
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(source.get());

    sink->Start();
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"test source cannot open"});
    EXPECT_EQ(sink->CloseCalls, 0);
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
}

TEST(SinkStart, DoneHandlerMayStartTheNextRunAtOnce) {
    // A batch rip starts the next track from the done handler; the worker must
    // not park after the first run and leave the second one waiting.
    auto source = MakeComponent<TTestSource>(3 * 16384);
    auto sink = MakeComponent<TTestSink>();
    int runs = 0;
    sink->SetOnDone([&](TComponent&) {
        if (++runs < 3) {
            sink->Start();
        }
    });
    sink->SetInput(source.get());
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return runs == 3; }));
    EXPECT_EQ(sink->ReceivedBytes(), 3u * 3 * 16384);
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
}

} // namespace
} // namespace kestrune::test
