#pragma once

#include <atomic>
#include <thread>

namespace kestrune {

// The flag a stage holds while it reads from its source, and that the Input
// setter holds while it swaps the source during a run. Taking it is one atomic
// test-and-set; a waiter yields the processor between tries, which is enough for
// a hold that lasts one block read. Usable with std::lock_guard.
class InUseFlag {
public:
    void lock() noexcept {
        while (FFlag.test_and_set(std::memory_order_acquire)) {
            std::this_thread::yield();
        }
    }
    bool try_lock() noexcept { return !FFlag.test_and_set(std::memory_order_acquire); }
    void unlock() noexcept { FFlag.clear(std::memory_order_release); }
    bool held() const noexcept { return FFlag.test(std::memory_order_acquire); }

private:
    std::atomic_flag FFlag;
};

} // namespace kestrune
