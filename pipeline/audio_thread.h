#pragma once

// The sink's worker: pulls block after block through the sink on a thread of
// its own and hands progress and completion to the main thread.
//
// Parking is cooperative. Pause only marks the worker as suspended; the worker
// parks at its next safe point (after the block under way, and at the top of an
// iteration), never inside a library call or while holding anything the main
// thread needs. A worker with nothing to do (no run)
// blocks on its condition variable instead of spinning; it still looks at the
// sink's progress now and then, so an idle sink reports changes as before.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace kestrune {

class TAudioOutput;

class TAudioThread {
public:
    using TExceptionHandler = std::function<void(const std::exception& E)>;

    // How long an idle worker sleeps before it looks at the progress again,
    // when nothing wakes it earlier.
    static constexpr std::chrono::milliseconds IdlePoll{50};

    // Starts the thread parked.
    TAudioThread(TAudioOutput& AOwnerOutput, TExceptionHandler AExceptionHandler);
    ~TAudioThread();

    TAudioThread(const TAudioThread&) = delete;
    TAudioThread& operator=(const TAudioThread&) = delete;
    TAudioThread(TAudioThread&&) = delete;
    TAudioThread& operator=(TAudioThread&&) = delete;

    bool SuspendWhenIdle() const { return FSuspendWhenIdle.load(); }
    void SetSuspendWhenIdle(bool Value) { FSuspendWhenIdle = Value; }
    void SetStopRequested(bool Value);

    bool Suspended() const;
    // Marks the worker suspended; it parks at its next safe point.
    void Suspend();
    // Wakes a suspended worker; wakes an idle one too, so a new run starts at once.
    void Resume();

    // Tells the worker to leave its loop, parked or not, and waits until it has,
    // running main-thread calls meanwhile when called on the main thread.
    void Terminate() noexcept;

private:
    void Execute();
    void Iterate();
    bool ParkWhileSuspended();
    void WaitWhileIdle();
    void SuspendAfterRun();
    void DeliverProgress();

    TAudioOutput& FOwnerOutput;
    TExceptionHandler FExceptionHandler;
    std::atomic<bool> FSuspendWhenIdle{true};
    std::atomic<bool> FExitRequested{false};
    std::atomic<bool> FStopRequested{false};
    std::atomic<bool> FFinished{false};

    mutable std::mutex FParkMutex;
    std::condition_variable FParkChanged;
    bool FSuspended = true;
    std::uint64_t FWakeups = 0;

    std::thread FThread;
};

} // namespace kestrune
