#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace kestrune::metadata {

// The time the pacing reads and waits on; a test gives one of its own so it
// can see the waits without sleeping through them.
class PacingClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    PacingClock() = default;
    virtual ~PacingClock() = default;
    PacingClock(const PacingClock&) = delete;
    PacingClock& operator=(const PacingClock&) = delete;
    PacingClock(PacingClock&&) = delete;
    PacingClock& operator=(PacingClock&&) = delete;

    virtual TimePoint Now() = 0;
    virtual void SleepUntil(TimePoint When) = 0;
};

class SteadyPacingClock final : public PacingClock {
public:
    TimePoint Now() override;
    void SleepUntil(TimePoint When) override;
};

// Spaces the requests to each host at least Interval apart, as MusicBrainz
// asks of its clients (one a second, or it answers 503 and may block the
// address). Each caller is given the next free turn of its host before it
// sleeps, so requests made from several threads at once queue up one interval
// after another instead of all waking at the same moment.
class RequestPacer {
public:
    RequestPacer(std::chrono::milliseconds AInterval, std::unique_ptr<PacingClock> AClock);

    // Returns when a request to Host may start, counting it as started then.
    void AwaitTurn(const std::string& Host);

private:
    const std::chrono::milliseconds FInterval;
    const std::unique_ptr<PacingClock> FClock;
    std::mutex FLock;
    std::map<std::string, PacingClock::TimePoint> FNextTurn;
};

} // namespace kestrune::metadata
