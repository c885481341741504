#pragma once

#include <atomic>
#include <thread>

namespace kestrune {

// The flag a stage holds while it reads from its source, and that the Input
// setter holds while it swaps the source during a run. It is only ever held for
// a scope, through Hold, so whoever takes it gives it back, on an exception too,
// and nobody clears a flag somebody else holds.
class InUseFlag {
public:
    // Waits until the flag is clear and takes it in one atomic test-and-set; a
    // waiter yields the processor between tries, which is enough for a hold that
    // lasts one block read.
    class Hold {
    public:
        explicit Hold(InUseFlag& AFlag) noexcept : FFlag(AFlag) {
            while (FFlag.FFlag.test_and_set(std::memory_order_acquire)) {
                std::this_thread::yield();
            }
        }
        ~Hold() { FFlag.FFlag.clear(std::memory_order_release); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        Hold(Hold&&) = delete;
        Hold& operator=(Hold&&) = delete;

    private:
        InUseFlag& FFlag;
    };

    bool held() const noexcept { return FFlag.test(std::memory_order_acquire); }

private:
    std::atomic_flag FFlag;
};

} // namespace kestrune
