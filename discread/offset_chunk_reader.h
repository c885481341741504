#pragma once

#include "chunk_reader.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace discread {

// Corrects a drive's read offset: sample k of what it hands out is sample
// k + Offset of what the drive under it reads (a sample is 4 bytes, 588 to a
// sector). A chunk thus takes the drive's bytes across one sector boundary
// more; the sector shared with the chunk before is kept from that read, so
// the drive below is read straight on, as without the offset. What lies
// before the disc's first sector or from its data's end on is silence, or
// with Overread what the drive reads there (its lead-in and lead-out), a
// sector at a time, silence where it cannot.
class OffsetChunkReader final : public ChunkReader {
public:
    OffsetChunkReader(std::unique_ptr<ChunkReader> AInner, std::int32_t AOffsetSamples,
                      std::int32_t ADataEnd, bool AOverread = false);

    bool Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
              std::stop_token Stop) override;

private:
    // The drive's sectors [First, First + Count) into Buffer: silence outside
    // the disc, the kept sector where it is asked for again.
    bool ReadDrive(std::uint8_t* Buffer, std::int64_t First, std::int64_t Count,
                   const std::stop_token& Stop);
    // The sectors [First, End) outside the disc's data into Buffer.
    void FillOutside(std::uint8_t* Buffer, std::int64_t First, std::int64_t End,
                     const std::stop_token& Stop);

    std::unique_ptr<ChunkReader> FInner;
    const std::int64_t FShiftBytes;
    const std::int64_t FDataEnd;
    const bool FOverread;
    std::vector<std::uint8_t> FScratch;
    // The last sector read from the drive, and which it is (-1: none).
    std::vector<std::uint8_t> FKept;
    std::int64_t FKeptSector = -1;
};

} // namespace discread
