#include "pipeline/audio_output.h"

#include "pipeline/audio_exception.h"
#include "pipeline/audio_thread.h"
#include "pipeline/replace_input.h"
#include "platform/main_thread.h"

#include <cmath>
#include <limits>

namespace kestrune {

TAudioOutput::TAudioOutput(TComponent* AOwner)
    : TComponent(AOwner),
      FWorker(std::make_unique<TAudioThread>(
          *this, [this](const std::exception& E) { HandleWorkerException(E); })) {}

TAudioOutput::~TAudioOutput() {
    // Concrete sinks have ended the worker already; this only covers a sink whose
    // constructor failed after the worker was made.
    FWorker->Terminate();
}

void TAudioOutput::EndWorker() noexcept {
    FWorker->Terminate();
    if (Busy()) {
        try {
            FinishRun();
        } catch (const std::exception&) {
            // Nobody is left to hear it: the sink is being destroyed.
        }
    }
}

void TAudioOutput::Start() {
    if (Busy()) {
        throw EAudioException("Component is Busy");
    }
    if (Input() == nullptr) {
        throw EAudioException("Input is not assigned");
    }
    try {
        OpenOutput();
        FBusy = true;
        FWorker->SetStopRequested(false);
        FOutputEnabled = true;
        FWorker->Resume();
    } catch (const std::exception& E) {
        HandleWorkerException(E);
    }
}

void TAudioOutput::Stop() {
    FWorker->SetStopRequested(true);
}

void TAudioOutput::Pause() {
    FWorker->Suspend();
}

void TAudioOutput::Resume() {
    FWorker->Resume();
}

TOutputStatus TAudioOutput::Status() const {
    if (!Busy()) {
        return TOutputStatus::osIdle;
    }
    return FWorker->Suspended() ? TOutputStatus::osPaused : TOutputStatus::osActive;
}

std::int32_t TAudioOutput::Progress() {
    // Held so that a source swapped out or destroyed during the run is never read
    // after it is gone.
    const InUseFlag::Hold hold(FInputInUse);
    const TAudioInput* const source = Input();
    if (source == nullptr) {
        return 0;
    }
    const std::int32_t size = source->Size();
    if (size == -1) {
        return -1;
    }
    if (size == 0) {
        return 0;
    }
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    const long double percent =
        std::nearbyint(static_cast<long double>(source->Position()) / size * 100.0L);
    constexpr auto low = static_cast<long double>(std::numeric_limits<std::int32_t>::min());
    constexpr auto high = static_cast<long double>(std::numeric_limits<std::int32_t>::max());
    if (percent < low) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (percent > high) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(percent);
}

void TAudioOutput::SetInput(TAudioInput* Value) {
    ReplaceInput(*this, FInput, FInputInUse, Value, Busy());
}

bool TAudioOutput::SuspendWhenIdle() const {
    return FWorker->SuspendWhenIdle();
}

void TAudioOutput::SetSuspendWhenIdle(bool Value) {
    FWorker->SetSuspendWhenIdle(Value);
}

void TAudioOutput::Notification(TComponent& AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && &AComponent == Input()) {
        try {
            SetInput(nullptr);
        } catch (const std::exception&) {
            // The source is going away; an error closing it changes nothing for
            // the run, which ends at its next read through the exception path.
        }
    }
    TComponent::Notification(AComponent, Operation);
}

std::int32_t TAudioOutput::ReadInput(std::span<std::byte> Buffer) {
    const InUseFlag::Hold hold(FInputInUse);
    TAudioInput* const source = Input();
    if (source == nullptr) {
        throw EAudioException("The input was removed during the run");
    }
    return source->ReadBlock(Buffer);
}

void TAudioOutput::CloseInput() {
    if (TAudioInput* const source = Input()) {
        source->CloseSource();
    }
}

bool TAudioOutput::NextBlock(bool Abort) {
    if (!OutputEnabled()) {
        return true;
    }
    if (Abort) {
        return false;
    }
    return WriteNextBlock();
}

void TAudioOutput::FinishRun() {
    if (Busy()) {
        FOutputEnabled = false;
        CloseOutput();
        FBusy = false;
        RunEnded();
    }
}

void TAudioOutput::RunEnded() {
    // The main thread may wait for the sink to go idle (the main window's close
    // does) without anything else to wake it.
    platform::WakeMainThread();
}

void TAudioOutput::HandleWorkerException(const std::exception& E) {
    // Every stage of the chain gave its InputInUse back as the exception left
    // its read: there is nothing to unlock here.
    if (Status() != TOutputStatus::osIdle) {
        FRunFailed = true;
        try {
            CloseOutput();
        } catch (const std::exception&) {
            // The run has already failed with E; that is the error to report.
        }
        FRunFailed = false;
    }
    FOutputEnabled = false;
    FBusy = false;
    RunEnded();
    if (FOnThreadException) {
        FOnThreadException(*this, E);
    }
}

} // namespace kestrune
