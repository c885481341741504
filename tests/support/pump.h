#pragma once

#include "platform/main_thread.h"

#include <chrono>
#include <functional>

namespace kestrune::test {

// Runs main-thread calls until Done holds or Timeout passes; returns Done().
// Looks again every few milliseconds, so conditions set without waking the main
// thread are seen too.
inline bool PumpUntil(const std::function<bool()>& Done,
                      std::chrono::milliseconds Timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (platform::WaitOnMainThreadFor(Done, std::chrono::milliseconds(5))) {
            return true;
        }
    }
    return Done();
}

} // namespace kestrune::test
