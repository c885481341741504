#include "ripper.h"

#include "discread.h"
#include "last_error.h"

#include <algorithm>
#include <new>

namespace discread {

namespace {

constexpr std::int32_t SectorBytes = 2352;

std::size_t Slots(std::int32_t First, std::int32_t End, std::int32_t ChunkSectors) {
    const std::int32_t chunks = (std::max(End - First, 1) + ChunkSectors - 1) / ChunkSectors;
    const std::int32_t ahead = (Ripper::AheadSectors + ChunkSectors - 1) / ChunkSectors;
    return static_cast<std::size_t>(std::clamp(ahead, 1, chunks));
}

} // namespace

Ripper::Ripper(std::unique_ptr<ChunkReader> AReader, std::int32_t First, std::int32_t End,
               std::int32_t ChunkSectors, UnreadableSectors AUnreadable)
    : FReader(std::move(AReader)),
      FRing(Slots(First, End, ChunkSectors),
            static_cast<std::size_t>(std::clamp(End - First, 0, ChunkSectors)) * SectorBytes),
      FEnd(End), FChunkSectors(ChunkSectors), FUnreadableSectors(AUnreadable), FNext(First),
      FHanded(First), FReading([this](std::stop_token Stop) { ReadAhead(Stop); }) {}

void Ripper::ReadAhead(const std::stop_token& Stop) {
    while (FNext < FEnd) {
        std::uint8_t* const slot = FRing.WaitForRoom(Stop);
        if (slot == nullptr) {
            return;
        }
        const std::int32_t count = std::min(FChunkSectors, FEnd - FNext);
        // What the read says on this thread is carried to the caller's.
        ClearLastError();
        bool read = false;
        std::vector<std::int32_t> unreadable;
        try {
            read = FUnreadableSectors == UnreadableSectors::AsSilence
                       ? FReader->ReadSkipping(slot, FNext, count, Stop, unreadable)
                       : FReader->Read(slot, FNext, count, Stop);
        } catch (const std::bad_alloc&) {
            SetLastError("out of memory");
        } catch (const std::exception& e) {
            SetLastError(e.what());
        }
        // A read cut short by the stop is no result.
        if (Stop.stop_requested()) {
            return;
        }
        if (read) {
            FRing.Fill(static_cast<std::size_t>(count) * SectorBytes, std::move(unreadable));
            FNext += count;
        } else {
            FRing.Fail(LastError());
        }
    }
}

std::int32_t Ripper::Next(std::uint8_t* Buffer, std::int32_t& Bytes) {
    Bytes = 0;
    if (FHanded >= FEnd) {
        return DR_OK;
    }
    ChunkRing::Taken taken = FRing.Take(Buffer);
    if (taken.Failed) {
        if (!taken.Why.empty()) {
            SetLastError(std::move(taken.Why));
        }
        return DR_ERR_READ;
    }
    Bytes = static_cast<std::int32_t>(taken.Bytes);
    FUnreadable.insert(FUnreadable.end(), taken.Unreadable.begin(), taken.Unreadable.end());
    FHanded += Bytes / SectorBytes;
    return DR_OK;
}

} // namespace discread
