#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kestrune::test {

// Holds a thread at a known point until the test lets it go.
class Gate {
public:
    explicit Gate(bool AOpen = true) : FOpen(AOpen) {}

    void Open() {
        {
            const std::lock_guard lock(FMutex);
            FOpen = true;
        }
        FChanged.notify_all();
    }
    void Close() {
        const std::lock_guard lock(FMutex);
        FOpen = false;
    }
    // Blocks while the gate is closed; counts as waiting meanwhile.
    void Pass() {
        std::unique_lock lock(FMutex);
        ++FWaiting;
        FChanged.notify_all();
        FChanged.wait(lock, [this] { return FOpen; });
        --FWaiting;
    }
    // As Pass, but gives up after Timeout; returns whether the gate was open.
    template <class Duration> bool PassWithin(Duration Timeout) {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, Timeout, [this] { return FOpen; });
    }
    // Blocks until some thread waits at the closed gate.
    void AwaitWaiter() {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [this] { return FWaiting > 0; });
    }

private:
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FOpen;
    int FWaiting = 0;
};

} // namespace kestrune::test
