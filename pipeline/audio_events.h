#pragma once

#include "platform/component.h"

#include <exception>
#include <functional>

namespace kestrune {

enum class TOutputStatus {
    osActive = 0, // a run is going and the worker runs
    osPaused = 1, // a run is going and the worker is parked
    osIdle = 2,   // no run
};

using TOutputDoneEvent = std::function<void(TComponent& Sender)>;
// The handler reads the sink's Progress itself.
using TOutputProgressEvent = std::function<void(TComponent& Sender)>;
using TThreadExceptionEvent = std::function<void(TComponent& Sender, const std::exception& E)>;

} // namespace kestrune
