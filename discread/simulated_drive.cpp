#include "simulated_drive.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <string>

namespace discread {

namespace {

constexpr double SectorsPerSecond = 75;

class SteadyClock final : public DriveClock {
public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }

    bool SleepUntil(TimePoint At, std::stop_token Stop) override {
        // Nothing ever notifies: the wait ends at At or when Stop is asked for.
        std::mutex lock;
        std::condition_variable_any wake;
        std::unique_lock held(lock);
        static_cast<void>(wake.wait_until(held, Stop, At, [] { return false; }));
        return !Stop.stop_requested();
    }
};

} // namespace

UnreadableSector::UnreadableSector(std::int64_t ASector)
    : ImageError("sector " + std::to_string(ASector) + " cannot be read"), FSector(ASector) {}

DriveClock& DriveClock::Steady() {
    static SteadyClock clock;
    return clock;
}

SimulatedDrive::SimulatedDrive(DriveSimulation ASimulation, DriveClock& AClock)
    : FSimulation(std::move(ASimulation)), FClock(AClock),
      FFlakySpent(FSimulation.Flaky.size(), false),
      FGarbleSpent(FSimulation.Garbled.size(), false) {}

std::chrono::nanoseconds SimulatedDrive::TransferTime(std::int64_t Sectors) const {
    if (!FSimulation.Speed) {
        return std::chrono::nanoseconds(0);
    }
    const double seconds = static_cast<double>(Sectors) / (SectorsPerSecond * *FSimulation.Speed);
    return std::chrono::nanoseconds(std::llround(seconds * 1e9));
}

bool SimulatedDrive::Read(std::int64_t First, std::int64_t Count, std::stop_token Stop) {
    if (Count <= 0) {
        return true;
    }
    const DriveClock::TimePoint now = FClock.Now();
    // Paced on one schedule from the first read, not read by read: a wake-up
    // that comes late does not push the later reads back, so a drive kept busy
    // reads at exactly its speed. The time the caller kept it waiting between
    // reads is not made up: the drive does not read what it is not asked for.
    if (!FStarted) {
        FStarted = true;
        FOrigin = now;
    } else {
        FOrigin += now - FReturned;
        if (First != FHead) {
            ++FSeeks;
        }
    }
    FSectors += Count;
    FHead = First + Count;
    if (!FClock.SleepUntil(FOrigin + TransferTime(FSectors) + FSeeks * FSimulation.Seek, Stop)) {
        return false;
    }
    FReturned = FClock.Now();
    if (const auto failing = FirstFailing(First, Count)) {
        throw UnreadableSector(*failing);
    }
    return true;
}

bool SimulatedDrive::ReadLead(std::uint8_t* Buffer, std::int64_t Sector,
                              std::int64_t DataEnd) const {
    constexpr std::int64_t SectorBytes = 2352;
    const std::int64_t reach = FSimulation.LeadSectors;
    if (Sector < -reach || Sector >= DataEnd + reach || (Sector >= 0 && Sector < DataEnd)) {
        return false;
    }
    for (std::int64_t b = 0; b < SectorBytes; ++b) {
        Buffer[b] = static_cast<std::uint8_t>((31 * Sector + b) & 0xFF);
    }
    return true;
}

void SimulatedDrive::Garble(std::uint8_t* Buffer, std::int64_t First, std::int64_t Count) {
    constexpr std::int64_t SectorBytes = 2352;
    for (std::size_t i = 0; i < FSimulation.Garbled.size(); ++i) {
        const SectorRange& range = FSimulation.Garbled[i];
        const std::int64_t from = std::max<std::int64_t>(First, range.First);
        const std::int64_t to = std::min<std::int64_t>(First + Count, std::int64_t{range.Last} + 1);
        if (FGarbleSpent[i] || from >= to) {
            continue;
        }
        FGarbleSpent[i] = true;
        for (std::int64_t at = (from - First) * SectorBytes; at < (to - First) * SectorBytes;
             ++at) {
            Buffer[at] ^= 0x5A;
        }
    }
}

std::optional<std::int64_t> SimulatedDrive::FirstFailing(std::int64_t First, std::int64_t Count) {
    std::optional<std::int64_t> failing;
    const auto touches = [&](const SectorRange& Range) {
        if (Range.First >= First + Count || Range.Last < First) {
            return false;
        }
        const std::int64_t sector = std::max<std::int64_t>(First, Range.First);
        failing = std::min(failing.value_or(sector), sector);
        return true;
    };
    for (const SectorRange& range : FSimulation.Bad) {
        touches(range);
    }
    for (std::size_t i = 0; i < FSimulation.Flaky.size(); ++i) {
        if (!FFlakySpent[i] && touches(FSimulation.Flaky[i])) {
            FFlakySpent[i] = true;
        }
    }
    return failing;
}

} // namespace discread
