#include "platform/thread_cpu_clock.h"

#include <cerrno>
#include <pthread.h>
#include <system_error>
#include <time.h>

namespace kestrune::platform {

ThreadCpuClock ThreadCpuClock::Current() {
    clockid_t clock{};
    if (const int error = pthread_getcpuclockid(pthread_self(), &clock); error != 0) {
        throw std::system_error(error, std::generic_category(), "thread CPU clock");
    }
    return ThreadCpuClock(static_cast<long>(clock));
}

std::chrono::nanoseconds ThreadCpuClock::Elapsed() const {
    timespec now{};
    if (clock_gettime(static_cast<clockid_t>(FClockId), &now) != 0) {
        throw std::system_error(errno, std::generic_category(), "thread CPU clock");
    }
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

} // namespace kestrune::platform
