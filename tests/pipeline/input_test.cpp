#include "tests/support/event_log.h"
#include "tests/support/pump.h"
#include "tests/support/test_sink.h"
#include "tests/support/test_source.h"

#include <gtest/gtest.h>

#include <thread>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

// Opens the gate a little later from another thread, for a main thread that is
// about to wait for the worker's read to finish.
std::jthread OpenSoon(Gate& gate) {
    return std::jthread([&gate] {
        std::this_thread::sleep_for(30ms);
        gate.Open();
    });
}

TEST(SinkInput, DestroyingTheSourceOfAnIdleSinkClearsInput) {
    TComponent form;
    auto& source = TComponent::Create<TTestSource>(form);
    auto& sink = TComponent::Create<TTestSink>(form);
    sink.SetInput(&source);
    form.DestroyComponent(source);
    EXPECT_EQ(sink.Input(), nullptr);
    EXPECT_EQ(sink.Progress(), 0);
}

TEST(SinkInput, SettingTheSameSourceDuringARunChangesNothing) {
    Gate gate(false);
    auto source = MakeComponent<TTestSource>(4 * 16384);
    source->ReadGate = &gate;
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(source.get());
    sink->Start();
    gate.AwaitWaiter();
    sink->SetInput(source.get());
    EXPECT_EQ(source->Opens, 1);
    EXPECT_EQ(source->Closes, 0);
    gate.Open();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    EXPECT_EQ(sink->ReceivedBytes(), 4u * 16384);
}

TEST(SinkInput, SwapDuringARunOpensTheNewSourceFirstThenClosesTheOld) {
    Gate gate(false);
    auto first = MakeComponent<TTestSource>(64 * 16384);
    first->ReadGate = &gate;
    auto second = MakeComponent<TTestSource>(3 * 16384 + 100);
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(first.get());
    sink->Start();
    gate.AwaitWaiter();

    {
        const auto opener = OpenSoon(gate);
        sink->SetInput(second.get());
    }
    EXPECT_EQ(second->Opens, 1);
    EXPECT_EQ(first->Closes, 1);
    EXPECT_EQ(sink->Input(), second.get());
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));

    // Whole blocks of the first source, then all of the second from its start.
    const auto received = sink->Received();
    const std::size_t fromFirst = received.size() - static_cast<std::size_t>(second->TotalBytes);
    EXPECT_GT(fromFirst, 0u);
    EXPECT_LT(fromFirst, 64u * 16384);
    EXPECT_EQ(fromFirst % 16384, 0u);
    for (std::size_t i = fromFirst; i < received.size(); ++i) {
        ASSERT_EQ(received[i], TTestSource::PatternAt(static_cast<std::int64_t>(i - fromFirst)));
    }
    EXPECT_EQ(second->Closes, 1) << "the run closes the source it ended with";
}

TEST(SinkInput, DestroyingTheSourceDuringARunEndsItThroughTheExceptionPath) {
    Gate gate(false);
    auto source = MakeComponent<TTestSource>(64 * 16384);
    source->ReadGate = &gate;
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(source.get());
    sink->Start();
    gate.AwaitWaiter();

    {
        const auto opener = OpenSoon(gate);
        source.reset();
    }
    EXPECT_EQ(sink->Input(), nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !events.Errors().empty(); }));
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"The input was removed during the run"});
    EXPECT_EQ(events.Done(), 0);
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
    EXPECT_EQ(sink->CloseCalls, 1);
}

TEST(FileOut, FileModeAlwaysReadsRewrite) {
    auto sink = MakeComponent<TTestSink>();
    EXPECT_EQ(sink->FileMode(), TFileOutputMode::foRewrite);
    sink->SetFileMode(TFileOutputMode::foAppend);
    EXPECT_EQ(sink->FileMode(), TFileOutputMode::foRewrite);
    sink->SetFileMode(TFileOutputMode::foRewrite);
    EXPECT_EQ(sink->FileMode(), TFileOutputMode::foRewrite);
    sink->SetFileName("out.mp3");
    EXPECT_EQ(sink->FileName(), "out.mp3");
}

} // namespace
} // namespace kestrune::test
