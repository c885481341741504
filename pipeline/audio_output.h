#pragma once

#include "pipeline/audio_events.h"
#include "pipeline/audio_input.h"
#include "pipeline/in_use_flag.h"
#include "platform/component.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace kestrune {

class TAudioThread;

// A sink: pulls PCM from its Input on a worker thread of its own.
//
// Start (main thread) calls OpenOutput and then lets the worker run; the worker
// reports progress and completion on the main thread and ends the run when
// WriteNextBlock says so, when Stop was asked, or on an exception, which goes to
// OnThreadException instead of OnDone.
//
// Concrete sinks implement the three steps of a run: OpenOutput (open the
// destination and the source), WriteNextBlock (one block; true for more) and
// CloseOutput (finish the destination and close the source). The base calls
// them in their order and keeps the rules around them: WriteNextBlock is called
// only during a run and never once Stop was asked, and reads the source through
// ReadInput. Their destructors must call EndWorker first, while the object is
// still whole.
//
// Handlers are assigned while the sink is idle.
class TAudioOutput : public TComponent {
public:
    explicit TAudioOutput(TComponent* AOwner = nullptr);
    ~TAudioOutput() override;

    // Raises "Component is Busy" or "Input is not assigned". A failure to open
    // goes to OnThreadException on this thread; Start then returns normally.
    void Start();
    // Ends the run at the worker's next iteration; does not wait.
    void Stop();
    void Pause();
    void Resume();
    TOutputStatus Status() const;
    // Percent done: Position / Size * 100, halves to even, not clamped; -1 when
    // the source cannot tell its size, 0 without a source or size.
    std::int32_t Progress();

    TAudioInput* Input() const { return FInput.load(std::memory_order_acquire); }
    virtual void SetInput(TAudioInput* Value);

    bool SuspendWhenIdle() const;
    void SetSuspendWhenIdle(bool Value);

    const TOutputDoneEvent& OnDone() const { return FOnDone; }
    void SetOnDone(TOutputDoneEvent Value) { FOnDone = std::move(Value); }
    const TOutputProgressEvent& OnProgress() const { return FOnProgress; }
    void SetOnProgress(TOutputProgressEvent Value) { FOnProgress = std::move(Value); }
    const TThreadExceptionEvent& OnThreadException() const { return FOnThreadException; }
    void SetOnThreadException(TThreadExceptionEvent Value) {
        FOnThreadException = std::move(Value);
    }

    // A run is in progress: from a successful OpenOutput to the end of the run.
    bool Busy() const { return FBusy.load(std::memory_order_acquire); }

protected:
    virtual bool WriteNextBlock() = 0;
    virtual void CloseOutput() = 0;
    virtual void OpenOutput() = 0;

    void Notification(TComponent& AComponent, TOperation Operation) override;

    // Reads one block from Input while holding InputInUse. Raises when the source
    // was taken away during the run.
    std::int32_t ReadInput(std::span<std::byte> Buffer);
    // Closes Input, if there is one.
    void CloseInput();

    // True while a failed run (or a failed start) is being cleaned up, so that
    // CloseOutput can discard what it would otherwise finish.
    bool RunFailed() const { return FRunFailed.load(std::memory_order_acquire); }

    // Ends the worker; a run it leaves unfinished is finished as by Stop, without
    // a done event. Concrete sinks call it first in their destructors.
    void EndWorker() noexcept;

private:
    friend class TAudioThread;

    bool OutputEnabled() const { return FOutputEnabled.load(std::memory_order_acquire); }
    // Worker thread: one iteration's block. True at once without a run; false
    // at once when Abort; otherwise what WriteNextBlock says.
    bool NextBlock(bool Abort);
    // Worker thread: if a run is going, ends it and closes the destination.
    void FinishRun();
    // Tells a main thread that waits for the sink that Busy has cleared.
    static void RunEnded();
    // Cleans up after a failed run or a failed start and tells OnThreadException.
    void HandleWorkerException(const std::exception& E);

    std::atomic<bool> FOutputEnabled{false};
    // The last progress the worker reported; kept across runs.
    std::int32_t FLastProgress = 0;
    std::unique_ptr<TAudioThread> FWorker;
    std::atomic<TAudioInput*> FInput{nullptr};
    TOutputDoneEvent FOnDone;
    TOutputProgressEvent FOnProgress;
    std::atomic<bool> FBusy{false};
    TThreadExceptionEvent FOnThreadException;
    InUseFlag FInputInUse;
    std::atomic<bool> FRunFailed{false};
};

} // namespace kestrune
