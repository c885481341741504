#include "chunk_ring.h"

#include <cstring>

namespace discread {

ChunkRing::ChunkRing(std::size_t Slots, std::size_t SlotBytes) : FSlots(Slots) {
    for (Slot& slot : FSlots) {
        slot.Bytes.resize(SlotBytes);
    }
}

std::uint8_t* ChunkRing::WaitForRoom(std::stop_token Stop) {
    std::unique_lock lock(FLock);
    if (!FChanged.wait(lock, Stop, [&] { return !FHeld && FFilled < FSlots.size(); })) {
        return nullptr;
    }
    // The slot stays the reading thread's until it is pushed: the caller takes
    // only filled slots, and nothing else writes.
    return Back().Bytes.data();
}

void ChunkRing::Fill(std::size_t Bytes, std::vector<std::int32_t> Unreadable) {
    const std::lock_guard lock(FLock);
    Slot& slot = Back();
    slot.Size = Bytes;
    slot.Failed = false;
    slot.Why.clear();
    slot.Unreadable = std::move(Unreadable);
    Push();
}

void ChunkRing::Fail(std::string Why) {
    const std::lock_guard lock(FLock);
    Slot& slot = Back();
    slot.Size = 0;
    slot.Failed = true;
    slot.Why = std::move(Why);
    slot.Unreadable.clear();
    FHeld = true;
    Push();
}

void ChunkRing::Push() {
    ++FFilled;
    FChanged.notify_all();
}

ChunkRing::Taken ChunkRing::Take(std::uint8_t* Buffer) {
    std::unique_lock lock(FLock);
    // Asked again after a failure: the reading tries that chunk once more.
    if (FFailureTaken) {
        FFailureTaken = false;
        FHeld = false;
        FChanged.notify_all();
    }
    FChanged.wait(lock, [&] { return FFilled > 0; });
    Slot& slot = FSlots[FFront];
    Taken taken{slot.Size, slot.Failed, std::move(slot.Why), std::move(slot.Unreadable)};
    FFailureTaken = slot.Failed;
    // Copied without the lock, so the reading thread goes on filling the other
    // slots; this one is not free until it is let go below.
    lock.unlock();
    if (!taken.Failed && taken.Bytes > 0) {
        std::memcpy(Buffer, slot.Bytes.data(), taken.Bytes);
    }
    lock.lock();
    FFront = (FFront + 1) % FSlots.size();
    --FFilled;
    FChanged.notify_all();
    return taken;
}

} // namespace discread
