#include "metadata/request_pacer.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrune::metadata {
namespace {

using namespace std::chrono_literals;

// Time stands still unless the test moves it, so callers that arrive
// together are seen as arriving together; each wait is written down.
struct ClockLog {
    PacingClock::TimePoint Now{};
    std::vector<PacingClock::TimePoint> Sleeps;
};

class StillClock final : public PacingClock {
public:
    explicit StillClock(ClockLog& ALog) : FLog(ALog) {}
    TimePoint Now() override { return FLog.Now; }
    void SleepUntil(TimePoint When) override { FLog.Sleeps.push_back(When); }

private:
    ClockLog& FLog;
};

class RequestPacerTest : public ::testing::Test {
protected:
    [[nodiscard]] PacingClock::TimePoint At(std::chrono::milliseconds Offset) const {
        return Start + Offset;
    }

    const PacingClock::TimePoint Start = PacingClock::TimePoint{} + 100s;
    ClockLog Log{Start, {}};
    RequestPacer Pacer{1s, std::make_unique<StillClock>(Log)};
};

// Requests made at one moment, as from several threads, must each get a turn
// of their own; two waking at the same second would break the service's rule.
TEST_F(RequestPacerTest, CallersAtOneMomentQueueAnIntervalApart) {
    Pacer.AwaitTurn("musicbrainz.org");
    Pacer.AwaitTurn("musicbrainz.org");
    Pacer.AwaitTurn("musicbrainz.org");
    EXPECT_EQ(Log.Sleeps, (std::vector{At(1s), At(2s)}));
}

// The rule is per host: the cover archive must not wait for MusicBrainz.
TEST_F(RequestPacerTest, OtherHostsDoNotWait) {
    Pacer.AwaitTurn("musicbrainz.org");
    Pacer.AwaitTurn("coverartarchive.org");
    Pacer.AwaitTurn("archive.org");
    EXPECT_TRUE(Log.Sleeps.empty());
}

// A request after a pause goes at once, and the next one is counted from it,
// not from the last turn handed out long ago.
TEST_F(RequestPacerTest, TheIntervalCountsFromTheLastRequest) {
    Pacer.AwaitTurn("musicbrainz.org");
    Log.Now = At(5s);
    Pacer.AwaitTurn("musicbrainz.org");
    EXPECT_TRUE(Log.Sleeps.empty());
    Log.Now = At(5300ms);
    Pacer.AwaitTurn("musicbrainz.org");
    EXPECT_EQ(Log.Sleeps, std::vector{At(6s)});
}

} // namespace
} // namespace kestrune::metadata
