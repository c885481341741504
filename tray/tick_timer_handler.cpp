#include "tray/tick_timer_handler.h"

#include "tray/tick_timer.h"

#include <QTimerEvent>

#include <memory>

namespace kestrune {

namespace {

// The process-wide handler; it goes at the latest when the process ends.
std::unique_ptr<TTickTimerHandler>& SharedHandler() {
    static std::unique_ptr<TTickTimerHandler> handler;
    return handler;
}

} // namespace

TTickTimerHandler* TTickTimerHandler::SharedTimerWindow() {
    return SharedHandler().get();
}

bool TTickTimerHandler::SetTimer(TTickTimer& Timer, std::uint32_t IntervalMs) {
    KillTimer(Timer);
    const int qtId = startTimer(std::chrono::milliseconds(IntervalMs));
    if (qtId == 0) {
        return false;
    }
    FTimers.emplace(qtId, &Timer);
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
    ++FDispatching;
    found->second->Tick();
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
