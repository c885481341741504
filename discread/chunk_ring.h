#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

namespace discread {

// The chunks read ahead of the caller: a fixed number of slots of one chunk
// each, which the reading thread fills and the caller empties in order. A read
// that failed takes a slot as well, so that the caller hears of it at its place,
// after the chunks read before it; the reading then waits until the caller has
// heard of it and asks for that chunk again.
class ChunkRing {
public:
    ChunkRing(std::size_t Slots, std::size_t SlotBytes);

    // The reading thread's side. WaitForRoom waits for a free slot and gives its
    // bytes, or nullptr once Stop is asked for; Fill or Fail hands that slot
    // to the caller as a chunk of Bytes bytes (Unreadable: the sectors in it
    // given as silence) or as a failure with its text.
    std::uint8_t* WaitForRoom(std::stop_token Stop);
    void Fill(std::size_t Bytes, std::vector<std::int32_t> Unreadable = {});
    void Fail(std::string Why);

    // The caller's side: waits for the next slot and copies its chunk into
    // Buffer (which holds a slot's bytes), or gives the failure it holds.
    struct Taken {
        std::size_t Bytes = 0;
        bool Failed = false;
        std::string Why;
        std::vector<std::int32_t> Unreadable;
    };
    Taken Take(std::uint8_t* Buffer);

private:
    struct Slot {
        std::vector<std::uint8_t> Bytes;
        std::size_t Size = 0;
        bool Failed = false;
        std::string Why;
        std::vector<std::int32_t> Unreadable;
    };

    Slot& Back() { return FSlots[(FFront + FFilled) % FSlots.size()]; }
    void Push();

    std::mutex FLock;
    std::condition_variable_any FChanged;
    std::vector<Slot> FSlots;
    std::size_t FFront = 0;
    std::size_t FFilled = 0;
    // A failure is in the ring or has been taken and the caller has not asked
    // again: the reading waits.
    bool FHeld = false;
    bool FFailureTaken = false;
};

} // namespace discread
