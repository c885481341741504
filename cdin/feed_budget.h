#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace kestrune {

// The bytes of audio the feeds of one continuous read may hold together: the
// reader waits when the encoders are behind, so memory stays bounded however
// fast the disc reads and however long it is.
class FeedBudget {
public:
    explicit FeedBudget(std::size_t ABytes) : FTotal(ABytes) {}

    // Waits until Count bytes fit (a chunk larger than the whole budget fits
    // once nothing else is held); false once the budget was cancelled.
    [[nodiscard]] bool Take(std::size_t Count) {
        std::unique_lock lock(FLock);
        FChanged.wait(lock, [&] { return FCancelled || FHeld == 0 || FHeld + Count <= FTotal; });
        if (FCancelled) {
            return false;
        }
        FHeld += Count;
        return true;
    }

    void Give(std::size_t Count) {
        {
            const std::lock_guard lock(FLock);
            FHeld -= std::min(Count, FHeld);
        }
        FChanged.notify_all();
    }

    std::size_t Held() {
        const std::lock_guard lock(FLock);
        return FHeld;
    }

    // Ends every wait, now and later: the run is over.
    void Cancel() {
        {
            const std::lock_guard lock(FLock);
            FCancelled = true;
        }
        FChanged.notify_all();
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    std::size_t FHeld = 0;
    const std::size_t FTotal;
    bool FCancelled = false;
};

} // namespace kestrune
