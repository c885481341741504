#include "metadata/request_pacer.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace kestrune::metadata {

PacingClock::TimePoint SteadyPacingClock::Now() {
    return std::chrono::steady_clock::now();
}

void SteadyPacingClock::SleepUntil(TimePoint When) {
    std::this_thread::sleep_until(When);
}

RequestPacer::RequestPacer(std::chrono::milliseconds AInterval, std::unique_ptr<PacingClock> AClock)
    : FInterval(AInterval), FClock(std::move(AClock)) {}

void RequestPacer::AwaitTurn(const std::string& Host) {
    const PacingClock::TimePoint now = FClock->Now();
    PacingClock::TimePoint turn;
    {
        const std::lock_guard lock(FLock);
        PacingClock::TimePoint& next = FNextTurn.try_emplace(Host, now).first->second;
        turn = std::max(next, now);
        next = turn + FInterval;
    }
    // Slept outside the lock: a request to another host need not wait for it.
    if (turn > now) {
        FClock->SleepUntil(turn);
    }
}

} // namespace kestrune::metadata
