#include "tray/tick_timer_handler.h"

#include "tray/tick_timer.h"

#include <QTimerEvent>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

namespace kestrune {

namespace {

// The process-wide handler; it goes at the latest when the process ends.
std::unique_ptr<TTickTimerHandler>& SharedHandler() {
    static std::unique_ptr<TTickTimerHandler> handler;
    return handler;
}

int& LongestStep() {
    static int longest = std::numeric_limits<int>::max();
    return longest;
}

} // namespace

void TTickTimerHandler::SetLongestStepMs(int Value) {
    LongestStep() = std::max(Value, 1);
}

TTickTimerHandler* TTickTimerHandler::SharedTimerWindow() {
    return SharedHandler().get();
}

bool TTickTimerHandler::SetTimer(TTickTimer& Timer, std::uint32_t IntervalMs) {
    KillTimer(Timer);
    return StartStep(Timer, IntervalMs, IntervalMs);
}

bool TTickTimerHandler::StartStep(TTickTimer& Timer, std::uint32_t PeriodMs, std::uint32_t LeftMs) {
    const int step = static_cast<int>(std::min<std::int64_t>(LeftMs, LongestStep()));
    // A coarse timer may fire 5 % early, which turns a late second click into
    // a double click and a 500 ms tick into 475 ms.
    const int qtId = startTimer(std::chrono::milliseconds(step), Qt::PreciseTimer);
    if (qtId == 0) {
        return false;
    }
    FTimers.emplace(qtId, Armed{&Timer, PeriodMs, LeftMs, step});
    FQtTimerIds.emplace(Timer.TimerId(), qtId);
    return true;
}

bool TTickTimerHandler::KillTimer(const TTickTimer& Timer) {
    const auto found = FQtTimerIds.find(Timer.TimerId());
    if (found == FQtTimerIds.end()) {
        return false;
    }
    const int qtId = found->second;
    FQtTimerIds.erase(found);
    FTimers.erase(qtId);
    killTimer(qtId);
    return true;
}

void TTickTimerHandler::timerEvent(QTimerEvent* Event) {
    const auto found = FTimers.find(Event->timerId());
    if (found == FTimers.end()) {
        return;
    }
    const Armed armed = found->second;
    if (armed.PeriodMs > static_cast<std::uint32_t>(LongestStep())) {
        // A period served in steps: the next step, or the next period before
        // the tick (the tick may re-arm or free the timer).
        KillTimer(*armed.Timer);
        const auto left = armed.LeftMs - static_cast<std::uint32_t>(armed.StepMs);
        if (left > 0) {
            StartStep(*armed.Timer, armed.PeriodMs, left);
            return;
        }
        StartStep(*armed.Timer, armed.PeriodMs, armed.PeriodMs);
    }
    ++FDispatching;
    armed.Timer->Tick();
    --FDispatching;
}

void AcquireTimerWindow() {
    auto& handler = SharedHandler();
    if (!handler) {
        handler = std::make_unique<TTickTimerHandler>();
    }
    ++handler->FUserCount;
}

void ReleaseTimerWindow() {
    auto& handler = SharedHandler();
    if (!handler) {
        return;
    }
    if (handler->FUserCount > 0) {
        --handler->FUserCount;
    }
    if (handler->FUserCount == 0) {
        if (handler->FDispatching > 0) {
            // The last timer was freed by its own tick: the handler is still on
            // the call stack, so it goes once the tick has returned.
            handler.release()->deleteLater();
        } else {
            handler.reset();
        }
    }
}

} // namespace kestrune
