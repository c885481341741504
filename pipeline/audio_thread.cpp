#include "pipeline/audio_thread.h"

#include "pipeline/audio_output.h"
#include "pipeline/done_thread.h"
#include "platform/main_thread.h"

namespace kestrune {

TAudioThread::TAudioThread(TAudioOutput& AOwnerOutput, TExceptionHandler AExceptionHandler)
    : FOwnerOutput(AOwnerOutput), FExceptionHandler(std::move(AExceptionHandler)),
      FThread([this] { Execute(); }) {}

TAudioThread::~TAudioThread() {
    Terminate();
}

void TAudioThread::SetStopRequested(bool Value) {
    {
        const std::lock_guard lock(FParkMutex);
        FStopRequested = Value;
        ++FWakeups;
    }
    FParkChanged.notify_all();
}

bool TAudioThread::Suspended() const {
    const std::lock_guard lock(FParkMutex);
    return FSuspended;
}

void TAudioThread::Suspend() {
    {
        const std::lock_guard lock(FParkMutex);
        FSuspended = true;
        ++FWakeups;
    }
    FParkChanged.notify_all();
}

void TAudioThread::Resume() {
    {
        const std::lock_guard lock(FParkMutex);
        FSuspended = false;
        ++FWakeups;
    }
    FParkChanged.notify_all();
}

void TAudioThread::Terminate() noexcept {
    if (!FThread.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(FParkMutex);
        FExitRequested = true;
        ++FWakeups;
    }
    FParkChanged.notify_all();
    // The worker may be waiting for the main thread to run its progress or done
    // call; running those calls here is what lets it reach the end of its loop.
    if (platform::IsMainThread()) {
        platform::WaitOnMainThread([this] { return FFinished.load(); });
    }
    FThread.join();
}

void TAudioThread::Execute() {
    while (!FExitRequested) {
        if (!ParkWhileSuspended()) {
            break;
        }
        Iterate();
    }
    FExitRequested = false;
    FFinished = true;
    platform::WakeMainThread();
}

void TAudioThread::Iterate() {
    TAudioOutput& output = FOwnerOutput;
    bool idle = false;
    try {
        if (output.Progress() != output.FLastProgress) {
            output.FLastProgress = output.Progress();
            if (output.FOnProgress) {
                platform::RunOnMainThread([this] { DeliverProgress(); });
            }
        }
        const bool running = output.OutputEnabled();
        const bool more = output.NextBlock(FStopRequested);
        // A pause asked for during the block holds the worker here, before it
        // looks at Stop: a run that is paused does not end until it is resumed.
        if (!ParkWhileSuspended()) {
            return;
        }
        if (FStopRequested || !more) {
            FStopRequested = false;
            output.FinishRun();
            TDoneThread carrier(output.FOnDone, output);
            carrier.Execute();
            SuspendAfterRun();
        } else if (!running) {
            idle = true;
        }
    } catch (const std::exception& E) {
        FStopRequested = false;
        try {
            FExceptionHandler(E);
        } catch (const std::exception&) {
            // The failure was already handed to the sink's handler; an error the
            // handler raises in turn has nowhere left to go on this thread.
        }
        SuspendAfterRun();
    }
    if (idle) {
        WaitWhileIdle();
    }
}

bool TAudioThread::ParkWhileSuspended() {
    std::unique_lock lock(FParkMutex);
    FParkChanged.wait(lock, [this] { return !FSuspended || FExitRequested; });
    return !FExitRequested;
}

void TAudioThread::WaitWhileIdle() {
    std::unique_lock lock(FParkMutex);
    const std::uint64_t seen = FWakeups;
    FParkChanged.wait_for(lock, IdlePoll, [&] {
        return FWakeups != seen || FSuspended || FExitRequested || FStopRequested ||
               FOwnerOutput.OutputEnabled();
    });
}

void TAudioThread::SuspendAfterRun() {
    if (!FSuspendWhenIdle) {
        return;
    }
    const std::lock_guard lock(FParkMutex);
    // A done handler may already have started the next run; parking now would
    // leave that run waiting for a resume that has already happened.
    if (!FOwnerOutput.Busy()) {
        FSuspended = true;
    }
}

void TAudioThread::DeliverProgress() {
    TAudioOutput& output = FOwnerOutput;
    if (output.FOnProgress) {
        output.FOnProgress(output);
    }
}

} // namespace kestrune
