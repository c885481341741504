#pragma once

#include <QObject>

#include <cstdint>
#include <unordered_map>

namespace kestrune {

class TTickTimer;

// The hidden object that receives the window system's timer events for every
// TTickTimer of the process and hands each tick to its timer. There is one
// while at least one timer exists (SharedTimerWindow); timers acquire and
// release it.
class TTickTimerHandler : public QObject {
public:
    TTickTimerHandler() = default;
    ~TTickTimerHandler() override = default;

    // The one handler, or null while no timer exists.
    static TTickTimerHandler* SharedTimerWindow();

    int UserCount() const { return FUserCount; }

    // The longest span one window-system timer is asked for: a longer interval
    // (the unsigned 32-bit range reaches past the signed one the window system
    // takes) is served in steps of at most this many milliseconds, counted down,
    // and ticks once per whole interval. Tests shorten it to see the steps.
    static void SetLongestStepMs(int Value);

    // Starts the window-system timer of Timer, replacing one it already has;
    // false when the window system refuses.
    bool SetTimer(TTickTimer& Timer, std::uint32_t IntervalMs);
    // Stops it; false when none was running.
    bool KillTimer(const TTickTimer& Timer);

protected:
    void timerEvent(QTimerEvent* Event) override;

private:
    friend void AcquireTimerWindow();
    friend void ReleaseTimerWindow();

    int FUserCount = 0;
    // Set while a tick is being handed out: a callback that frees the last
    // timer must not free this object under its own feet.
    int FDispatching = 0;
    struct Armed {
        TTickTimer* Timer;
        std::uint32_t PeriodMs;
        std::uint32_t LeftMs; // of the period, when the running step began
        int StepMs;
    };
    // Starts the step that serves LeftMs of Timer's period.
    bool StartStep(TTickTimer& Timer, std::uint32_t PeriodMs, std::uint32_t LeftMs);

    // Qt's timer id -> the timer, and the timer's id -> Qt's timer id.
    std::unordered_map<int, Armed> FTimers;
    std::unordered_map<std::uint64_t, int> FQtTimerIds;
};

// Counts a timer in, creating the shared handler for the first one.
void AcquireTimerWindow();
// Counts a timer out, destroying the shared handler with the last one.
void ReleaseTimerWindow();

} // namespace kestrune
