#include "tray/tick_timer.h"

#include "tray/tick_timer_handler.h"

#include <utility>

namespace kestrune {

namespace {

std::uint64_t NextTimerId() {
    static std::uint64_t last = 0;
    return ++last;
}

} // namespace

TTickTimer::TTickTimer() : TTickTimer(1000, {}) {}

TTickTimer::TTickTimer(std::uint32_t AIntervalMs, TTickEvent AOnTick)
    : FTimerId(NextTimerId()), FIntervalMs(AIntervalMs) {
    SetOnTick(std::move(AOnTick));
    AcquireTimerWindow();
}

TTickTimer::~TTickTimer() {
    // Also when only suspended: no tick may reach a timer that is gone.
    Disarm(true);
    ReleaseTimerWindow();
}

void TTickTimer::SetActive(bool Value) {
    if (Value) {
        Arm();
    } else {
        Disarm(true);
    }
}

void TTickTimer::SetIntervalMs(std::uint32_t Value) {
    if (Value == FIntervalMs) {
        return;
    }
    FIntervalMs = Value;
    if (FActive) {
        if (Value != 0) {
            Arm();
        } else {
            Disarm(false);
        }
    }
}

void TTickTimer::SetOnTick(TTickEvent Value) {
    FOnTick = std::move(Value);
    if (!FOnTick && FActive) {
        Disarm(false);
    }
}

bool TTickTimer::Arm() {
    if (FIntervalMs == 0) {
        return false;
    }
    if (FActive) {
        Disarm(true);
    }
    TTickTimerHandler* const handler = TTickTimerHandler::SharedTimerWindow();
    if (handler == nullptr || !handler->SetTimer(*this, FIntervalMs)) {
        return false;
    }
    FActive = true;
    return true;
}

bool TTickTimer::Disarm(bool ClearActive) {
    if (ClearActive) {
        FActive = false;
    }
    TTickTimerHandler* const handler = TTickTimerHandler::SharedTimerWindow();
    return handler != nullptr && handler->KillTimer(*this);
}

void TTickTimer::Tick() {
    if (FOneShot) {
        Disarm(true);
    }
    if (FOnTick) {
        // A copy: the callback may replace OnTick or free this timer.
        const TTickEvent callback = FOnTick;
        callback(*this);
    }
}

} // namespace kestrune
