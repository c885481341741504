#pragma once

#include "drive_simulation.h"
#include "last_error.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace discread {

// A read of a simulated drive that reached a sector the drive cannot read.
class UnreadableSector : public ImageError {
public:
    explicit UnreadableSector(std::int64_t ASector);
    // The first sector of the read that could not be read.
    std::int64_t Sector() const { return FSector; }

private:
    std::int64_t FSector;
};

// The time a simulated drive keeps: the steady clock, or a test's own.
class DriveClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~DriveClock() = default;
    virtual TimePoint Now() = 0;
    // Waits until At; false, at once, when Stop is asked for first.
    virtual bool SleepUntil(TimePoint At, std::stop_token Stop) = 0;

    // The steady clock, whose sleeps a stop cuts short.
    static DriveClock& Steady();
};

// A drive as DriveSimulation describes it, in front of the reads of a disc
// image: each read is held back until the drive would have delivered it and
// fails where the drive cannot read. Used by one reading thread at a time.
class SimulatedDrive {
public:
    SimulatedDrive(DriveSimulation ASimulation, DriveClock& AClock);

    // Holds the read of Count sectors from First back until it is due, then
    // raises UnreadableSector for the first sector it cannot read, if any. False
    // when Stop was asked for meanwhile: the read then has no verdict.
    bool Read(std::int64_t First, std::int64_t Count, std::stop_token Stop);
    // After a read of Count sectors from First into Buffer succeeded: changes
    // every byte of the garbled sectors the read touched for the first time.
    void Garble(std::uint8_t* Buffer, std::int64_t First, std::int64_t Count);
    // Sector (before 0 or from DataEnd on) into Buffer, when the drive reads
    // that far: its lead-in or lead-out as DriveSimulation::LeadSectors says.
    bool ReadLead(std::uint8_t* Buffer, std::int64_t Sector, std::int64_t DataEnd) const;

private:
    std::chrono::nanoseconds TransferTime(std::int64_t Sectors) const;
    // The first sector of [First, First + Count) that fails this time; spends
    // the flaky ranges the read touches.
    std::optional<std::int64_t> FirstFailing(std::int64_t First, std::int64_t Count);

    DriveSimulation FSimulation;
    DriveClock& FClock;
    // The schedule: the drive has read Sectors sectors and moved its head Seeks
    // times, working since Origin but for the time the caller kept it waiting
    // (Origin moves on by that much); the last read returned at Returned.
    bool FStarted = false;
    DriveClock::TimePoint FOrigin{};
    DriveClock::TimePoint FReturned{};
    std::int64_t FSectors = 0;
    std::int64_t FSeeks = 0;
    std::int64_t FHead = 0;
    std::vector<bool> FFlakySpent;
    std::vector<bool> FGarbleSpent;
};

} // namespace discread
