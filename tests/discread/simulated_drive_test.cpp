// The simulated drive's pacing, seeks and failing sectors, on a clock of the
// test's own: every time the drive waits for is checked to the nanosecond and
// nothing sleeps.

#include "simulated_drive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace discread {
namespace {

using namespace std::chrono_literals;
using TimePoint = DriveClock::TimePoint;

// A clock that moves only when told to or when the drive waits, and records
// every wait. Late makes each wake-up come that much after its time.
class TestClock final : public DriveClock {
public:
    TimePoint Now() override { return FNow; }
    bool SleepUntil(TimePoint At, std::stop_token Stop) override {
        Waits.push_back(At);
        if (Stop.stop_requested()) {
            return false;
        }
        FNow = std::max(FNow, At) + Late;
        return true;
    }
    void Pass(std::chrono::nanoseconds Time) { FNow += Time; }

    static constexpr TimePoint Start = TimePoint{} + 1000h;
    std::vector<TimePoint> Waits;
    std::chrono::nanoseconds Late{0};

private:
    TimePoint FNow = Start;
};

DriveSimulation Simulation(std::optional<double> Speed, std::chrono::nanoseconds Seek = 0ns) {
    DriveSimulation simulation;
    simulation.Speed = Speed;
    simulation.Seek = Seek;
    return simulation;
}

// The sector a read failed at; -1 when it did not fail.
std::int64_t FailsAt(SimulatedDrive& Drive, std::int64_t First, std::int64_t Count) {
    try {
        EXPECT_TRUE(Drive.Read(First, Count, {}));
    } catch (const UnreadableSector& e) {
        EXPECT_EQ(std::string(e.what()),
                  "sector " + std::to_string(e.Sector()) + " cannot be read");
        return e.Sector();
    }
    return -1;
}

TEST(SimulatedDrivePacing, AWakeUpThatComesLateDoesNotSlowTheDrive) {
    // 24 times real time is 1800 sectors a second: a second's worth in chunks
    // of 75, asked for back to back, is due at exactly 1/24 s steps from the
    // first read although every wake-up comes 3 ms late. Paced read by read,
    // each late wake-up would push every later read back.
    TestClock clock;
    clock.Late = 3ms;
    SimulatedDrive drive(Simulation(24), clock);
    for (std::int64_t i = 0; i < 24; ++i) {
        ASSERT_TRUE(drive.Read(i * 75, 75, {}));
    }
    ASSERT_EQ(clock.Waits.size(), 24u);
    for (std::size_t i = 0; i < clock.Waits.size(); ++i) {
        const auto due =
            std::chrono::nanoseconds(std::llround(1e9 * static_cast<double>(i + 1) / 24));
        EXPECT_EQ(clock.Waits[i] - TestClock::Start, due) << i;
    }
    EXPECT_EQ(clock.Waits.back() - TestClock::Start, 1s);

    // 1 is 75 sectors a second; fractions of it are slower.
    for (const auto& [speed, second] : {std::pair{1.0, 1s}, std::pair{0.5, 2s}}) {
        TestClock slow;
        SimulatedDrive drive1(Simulation(speed), slow);
        ASSERT_TRUE(drive1.Read(0, 75, {}));
        EXPECT_EQ(slow.Waits.at(0) - TestClock::Start, second) << speed;
    }
}

TEST(SimulatedDrivePacing, TimeTheCallerKeepsTheDriveWaitingIsNotMadeUp) {
    // The drive reads only what it is asked for: 2 ms of the caller's between
    // reads and a pause of five seconds delay what comes after by as much, and
    // the wake-ups that come late still cost nothing. (A drive that made the
    // caller's time up would hide the cost of reading and encoding by turns.)
    TestClock clock;
    clock.Late = 3ms;
    SimulatedDrive drive(Simulation(1), clock);
    ASSERT_TRUE(drive.Read(0, 75, {}));
    clock.Pass(2ms);
    ASSERT_TRUE(drive.Read(75, 75, {}));
    clock.Pass(5s);
    ASSERT_TRUE(drive.Read(150, 75, {}));
    ASSERT_TRUE(drive.Read(225, 75, {}));
    EXPECT_EQ(clock.Waits,
              (std::vector<TimePoint>{TestClock::Start + 1s, TestClock::Start + 2s + 2ms,
                                      TestClock::Start + 8s + 2ms, TestClock::Start + 9s + 2ms}));
}

TEST(SimulatedDrivePacing, AReadThatDoesNotStartWhereTheLastEndedCostsASeek) {
    // The first read finds the head where it asks; going on where the last read
    // ended is free, anywhere else costs the seek, backwards as forwards.
    TestClock clock;
    SimulatedDrive drive(Simulation(1, 80ms), clock);
    for (const std::int64_t first : {0, 75, 300, 375, 0}) {
        ASSERT_TRUE(drive.Read(first, 75, {}));
    }
    const std::vector<std::chrono::nanoseconds> due = {1s, 2s, 3s + 80ms, 4s + 80ms, 5s + 160ms};
    ASSERT_EQ(clock.Waits.size(), due.size());
    for (std::size_t i = 0; i < due.size(); ++i) {
        EXPECT_EQ(clock.Waits[i] - TestClock::Start, due[i]) << i;
    }

    // Without a speed the transfer costs nothing and only seeks are waited for.
    TestClock fast;
    SimulatedDrive unpaced(Simulation(std::nullopt, 80ms), fast);
    for (const std::int64_t first : {0, 10, 50}) {
        ASSERT_TRUE(unpaced.Read(first, 10, {}));
    }
    EXPECT_EQ(fast.Waits, (std::vector<TimePoint>{TestClock::Start, TestClock::Start,
                                                  TestClock::Start + 80ms}));
}

TEST(SimulatedDriveFaults, BadSectorsFailEveryReadThatTouchesThemAndNoOther) {
    // The failure names the first bad sector of the read, every time.
    DriveSimulation simulation;
    simulation.Bad = {{100, 101}, {300, 300}};
    TestClock clock;
    SimulatedDrive drive(simulation, clock);
    EXPECT_EQ(FailsAt(drive, 0, 100), -1);
    EXPECT_EQ(FailsAt(drive, 50, 60), 100);
    EXPECT_EQ(FailsAt(drive, 101, 10), 101);
    EXPECT_EQ(FailsAt(drive, 102, 198), -1);
    EXPECT_EQ(FailsAt(drive, 299, 2), 300);
    EXPECT_EQ(FailsAt(drive, 299, 2), 300);
    EXPECT_EQ(FailsAt(drive, 301, 1000), -1);
    EXPECT_EQ(FailsAt(drive, 90, 300), 100);
}

TEST(SimulatedDriveFaults, AFlakyRangeFailsTheFirstReadThatTouchesItOnly) {
    // Each range fails once, at the read that first touches it, whichever of
    // its sectors that is; a bad sector inside one stays bad after it.
    DriveSimulation simulation;
    simulation.Flaky = {{10, 20}, {50, 50}, {25, 35}};
    simulation.Bad = {{30, 30}};
    TestClock clock;
    SimulatedDrive drive(simulation, clock);
    EXPECT_EQ(FailsAt(drive, 0, 5), -1);
    EXPECT_EQ(FailsAt(drive, 15, 1), 15);
    EXPECT_EQ(FailsAt(drive, 10, 11), -1);
    EXPECT_EQ(FailsAt(drive, 45, 10), 50);
    EXPECT_EQ(FailsAt(drive, 45, 10), -1);
    EXPECT_EQ(FailsAt(drive, 22, 10), 25);
    EXPECT_EQ(FailsAt(drive, 22, 10), 30);
    EXPECT_EQ(FailsAt(drive, 26, 3), -1);
}

TEST(SimulatedDriveFaults, AFailedReadTakesItsTimeAndAStoppedOneHasNoVerdict) {
    // A drive spends the read's time before it fails; a stop asked for while it
    // waits ends the wait with neither data nor failure, and leaves a flaky
    // range unspent for the read that comes after.
    DriveSimulation simulation = Simulation(1);
    simulation.Bad = {{0, 0}};
    simulation.Flaky = {{100, 100}};
    TestClock clock;
    SimulatedDrive drive(simulation, clock);
    EXPECT_EQ(FailsAt(drive, 0, 75), 0);
    EXPECT_EQ(clock.Now() - TestClock::Start, 1s);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(drive.Read(75, 75, stop.get_token()));
    EXPECT_FALSE(drive.Read(0, 75, stop.get_token()));
    EXPECT_EQ(FailsAt(drive, 100, 1), 100);
}

TEST(SimulatedDriveClock, TheSteadyClocksWaitEndsAtItsTimeOrAtAStop) {
    // A time already past is no wait; a stop ends a wait of an hour at once,
    // whether it came before the wait or during it.
    DriveClock& clock = DriveClock::Steady();
    EXPECT_TRUE(clock.SleepUntil(clock.Now() - 1s, {}));
    std::stop_source before;
    before.request_stop();
    EXPECT_FALSE(clock.SleepUntil(clock.Now() + 1h, before.get_token()));

    bool woke = true;
    std::jthread sleeper(
        [&](std::stop_token Stop) { woke = clock.SleepUntil(clock.Now() + 1h, Stop); });
    sleeper.request_stop();
    sleeper.join();
    EXPECT_FALSE(woke);
}

} // namespace
} // namespace discread
