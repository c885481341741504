#pragma once

#include "chunk_reader.h"
#include "chunk_ring.h"
#include "read_choices.h"

#include <cstdint>
#include <memory>
#include <stop_token>
#include <thread>
#include <vector>

namespace discread {

// Sequential reading of the sectors [first, end) of one drive, a chunk at a
// time. The reading runs ahead of the caller on a thread of its own, into a
// ring of a few seconds of chunks, so that the drive reads while the caller
// works on what it was given; a caller that does not ask leaves it waiting
// once the ring is full. The chunks come out as they would have been read
// when asked for: a failed read at its chunk, after every good chunk before
// it, and the reading stays there. Destroying the ripper stops the reading
// and joins its thread, at once also while a read waits (a simulated drive's
// pace, the test gate).
class Ripper {
public:
    // How much the ring holds, at least a chunk: 4 s of audio.
    static constexpr std::int32_t AheadSectors = 4 * 75;

    Ripper(std::unique_ptr<ChunkReader> AReader, std::int32_t First, std::int32_t End,
           std::int32_t ChunkSectors, UnreadableSectors AUnreadable = UnreadableSectors::Fail);
    ~Ripper() = default;
    Ripper(const Ripper&) = delete;
    Ripper& operator=(const Ripper&) = delete;
    Ripper(Ripper&&) = delete;
    Ripper& operator=(Ripper&&) = delete;

    // Fills Buffer (a chunk's bytes) with the next chunk and sets Bytes (0 at
    // the end of the range). On a failed read returns DR_ERR_READ with Bytes 0
    // and the read's text as the calling thread's last error; asking again
    // reads that chunk again.
    std::int32_t Next(std::uint8_t* Buffer, std::int32_t& Bytes);

    // The sectors handed out as silence so far, in order (UnreadableSectors::AsSilence).
    const std::vector<std::int32_t>& Unreadable() const { return FUnreadable; }

private:
    void ReadAhead(const std::stop_token& Stop);

    std::unique_ptr<ChunkReader> FReader;
    ChunkRing FRing;
    const std::int32_t FEnd;
    const std::int32_t FChunkSectors;
    const UnreadableSectors FUnreadableSectors;
    // The next sector to read, the reading thread's alone.
    std::int32_t FNext;
    // The next sector to hand out, the caller's alone.
    std::int32_t FHanded;
    std::vector<std::int32_t> FUnreadable;
    // Last, so that it is stopped and joined before anything it reads goes.
    std::jthread FReading;
};

} // namespace discread
