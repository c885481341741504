#include "tools/kestrune-rip/batch_worker.h"

#include <utility>

namespace kestrune::rip {

BatchWorker::BatchWorker(Work Do)
    : FDo(std::move(Do)), FWorker([this](const std::stop_token& Stop) { DoHandedOver(Stop); }) {
    FGathered.reserve(BatchBytes);
}

BatchWorker::~BatchWorker() {
    {
        // Under the lock, or the thread could miss the wake-up between looking
        // at the stop and waiting.
        const std::lock_guard lock(FLock);
        FWorker.request_stop();
    }
    FChanged.notify_all();
}

void BatchWorker::DoHandedOver(const std::stop_token& Stop) {
    std::unique_lock lock(FLock);
    for (;;) {
        FChanged.wait(lock, [&] { return Stop.stop_requested() || !FWaiting.empty(); });
        if (Stop.stop_requested()) {
            return;
        }
        std::vector<std::byte> batch = std::move(FWaiting.front());
        FWaiting.pop_front();
        FWorking = true;
        FChanged.notify_all();
        lock.unlock();
        FDo(batch);
        lock.lock();
        // Kept for a later batch: a fresh one of this size would be mapped
        // and faulted in anew each second.
        batch.clear();
        FSpare.push_back(std::move(batch));
        FWorking = false;
        FChanged.notify_all();
    }
}

void BatchWorker::Add(std::span<const std::byte> Bytes) {
    FGathered.insert(FGathered.end(), Bytes.begin(), Bytes.end());
    if (FGathered.size() >= BatchBytes) {
        HandOver();
    }
}

void BatchWorker::HandOver() {
    if (FGathered.empty()) {
        return;
    }
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FWaiting.size() < MostWaiting; });
    FWaiting.push_back(std::move(FGathered));
    FGathered = {};
    if (!FSpare.empty()) {
        FGathered = std::move(FSpare.back());
        FSpare.pop_back();
    }
    FChanged.notify_all();
    lock.unlock();
    FGathered.reserve(BatchBytes);
}

void BatchWorker::WaitDone() const {
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [this] { return FWaiting.empty() && !FWorking; });
}

} // namespace kestrune::rip
