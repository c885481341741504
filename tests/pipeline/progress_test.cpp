#include "tests/support/event_log.h"
#include "tests/support/pump.h"
#include "tests/support/test_sink.h"
#include "tests/support/test_source.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

TEST(SinkProgress, IsPositionOverSizeRoundedHalfToEvenAndNotClamped) {
    auto source = MakeComponent<TTestSource>();
    auto sink = MakeComponent<TTestSink>();
    EXPECT_EQ(sink->Progress(), 0) << "no input";
    sink->SetInput(source.get());

    const struct {
        std::int32_t position, size, percent;
    } cases[] = {{1, 8, 12},
                 {3, 8, 38},
                 {5, 8, 62},
                 {7, 8, 88},
                 {1, 3, 33},
                 {2, 3, 67},
                 {8, 8, 100},
                 {10, 8, 125},
                 {0, 176400, 0},
                 {1, 200, 0},
                 {3, 200, 2},
                 {-1, 8, -12},
                 {2147483647, 2147483647, 100}};
    for (const auto& c : cases) {
        source->SetCounters(c.position, c.size);
        EXPECT_EQ(sink->Progress(), c.percent) << c.position << " of " << c.size;
    }
}

TEST(SinkProgress, UnknownSizeGivesMinusOneAndNoSizeGivesZero) {
    auto source = MakeComponent<TTestSource>();
    auto sink = MakeComponent<TTestSink>();
    sink->SetInput(source.get());
    source->SetCounters(5000, -1);
    EXPECT_EQ(sink->Progress(), -1);
    source->SetCounters(5000, 0);
    EXPECT_EQ(sink->Progress(), 0);
}

TEST(SinkProgress, ReportsEachChangeOnceOnTheMainThreadWhileTheWorkerWaits) {
    auto source = MakeComponent<TTestSource>(8 * 16384);
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    bool workerMovedDuringHandler = false;
    const auto record = sink->OnProgress();
    sink->SetOnProgress([&](TComponent& Sender) {
        const int before = sink->WriteCalls;
        record(Sender);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        workerMovedDuringHandler |= sink->WriteCalls != before;
    });
    sink->SetInput(source.get());

    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    // 0 % at the start equals the initial last value and is not reported.
    EXPECT_EQ(events.Progress(), (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
    for (const auto id : events.ProgressThreads()) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
    EXPECT_FALSE(workerMovedDuringHandler);
}

TEST(SinkProgress, NextRunReportsOnlyWhatDiffersFromTheLastValueOfThePreviousOne) {
    auto unknown = MakeComponent<TTestSource>(3 * 16384);
    unknown->KnowsSize = false;
    auto known = MakeComponent<TTestSource>(2 * 16384);
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);

    sink->SetInput(unknown.get());
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    EXPECT_EQ(events.Progress(), std::vector<int>{-1});

    // Still -1 all through: nothing to report, the last value is kept by Start.
    events.ClearProgress();
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 2; }));
    EXPECT_TRUE(events.Progress().empty());

    sink->SetInput(known.get());
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 3; }));
    EXPECT_EQ(events.Progress(), (std::vector<int>{0, 50, 100}));
}

} // namespace
} // namespace kestrune::test
