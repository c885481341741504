#pragma once

#include "pipeline/audio_events.h"

namespace kestrune {

// Carries the done event of one run from the worker to the main thread. It is
// never a thread of its own: the worker runs Execute, which hands DeliverDone to
// the main thread and waits for it.
class TDoneThread {
public:
    TDoneThread(TOutputDoneEvent ADoneHandler, TComponent& ADoneSender)
        : DoneHandler(std::move(ADoneHandler)), DoneSender(ADoneSender) {}

    void Execute();

private:
    void DeliverDone();

    TOutputDoneEvent DoneHandler;
    TComponent& DoneSender;
};

} // namespace kestrune
