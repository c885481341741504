#pragma once

#include <chrono>

namespace kestrune::platform {

// The processor time one thread has used, readable from any thread while that
// thread lives.
class ThreadCpuClock {
public:
    // The clock of the calling thread.
    static ThreadCpuClock Current();
    std::chrono::nanoseconds Elapsed() const;

private:
    explicit ThreadCpuClock(long AClockId) : FClockId(AClockId) {}
    long FClockId;
};

} // namespace kestrune::platform
