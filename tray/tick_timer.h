#pragma once

#include <cstdint>
#include <functional>

namespace kestrune {

class TTickTimer;

using TTickEvent = std::function<void(TTickTimer& Sender)>;

// Calls OnTick every IntervalMs milliseconds on the user-interface thread. Not
// a component: code creates and frees it. Every timer of the process is served
// by one shared hidden object (TTickTimerHandler) that lives from the first
// timer to the last. Create, change and free timers on the user-interface
// thread only.
//
// States: inactive (Active false), running, and suspended (Active true but no
// ticks, after the interval was set to 0 or the callback emptied while running).
class TTickTimer {
public:
    // 1000 ms, no callback.
    TTickTimer();
    TTickTimer(std::uint32_t AIntervalMs, TTickEvent AOnTick);
    virtual ~TTickTimer();

    TTickTimer(const TTickTimer&) = delete;
    TTickTimer& operator=(const TTickTimer&) = delete;
    TTickTimer(TTickTimer&&) = delete;
    TTickTimer& operator=(TTickTimer&&) = delete;

    // Unique within the process; what the shared object knows this timer by.
    std::uint64_t TimerId() const { return FTimerId; }

    bool Active() const { return FActive; }
    // True arms (restarting the period), false disarms.
    void SetActive(bool Value);

    std::uint32_t IntervalMs() const { return FIntervalMs; }
    // A new non-zero interval restarts a running timer's period; 0 stops the
    // ticks and leaves Active as it is.
    void SetIntervalMs(std::uint32_t Value);

    const TTickEvent& OnTick() const { return FOnTick; }
    // An empty callback stops the ticks and leaves Active as it is; a new one
    // does not restart them by itself.
    void SetOnTick(TTickEvent Value);

    // Switches the timer off on its first tick, before the callback runs.
    bool OneShot() const { return FOneShot; }
    void SetOneShot(bool Value) { FOneShot = Value; }

    // Starts or restarts the ticks; false (and Active unchanged) with interval
    // 0 or when the window system refuses the timer.
    bool Arm();
    // Stops the ticks; returns whether any were running. ClearActive false
    // leaves Active as it is.
    bool Disarm(bool ClearActive);

private:
    friend class TTickTimerHandler;
    // One tick, from the shared object. The callback may free this timer.
    void Tick();

    std::uint64_t FTimerId;
    bool FActive = false;
    bool FOneShot = false;
    std::uint32_t FIntervalMs;
    TTickEvent FOnTick;
};

} // namespace kestrune
