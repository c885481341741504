#include "offset_chunk_reader.h"

#include <algorithm>
#include <cstring>

namespace discread {

namespace {

constexpr std::int64_t SectorBytes = 2352;
constexpr std::int64_t SampleBytes = 4;

// Rounds towards minus infinity, as a sector of a byte before the disc must.
std::int64_t FloorDiv(std::int64_t Value, std::int64_t By) {
    return Value >= 0 ? Value / By : -((-Value + By - 1) / By);
}

} // namespace

OffsetChunkReader::OffsetChunkReader(std::unique_ptr<ChunkReader> AInner,
                                     std::int32_t AOffsetSamples, std::int32_t ADataEnd,
                                     bool AOverread)
    : FInner(std::move(AInner)), FShiftBytes(std::int64_t{AOffsetSamples} * SampleBytes),
      FDataEnd(ADataEnd), FOverread(AOverread), FKept(static_cast<std::size_t>(SectorBytes)) {}

void OffsetChunkReader::FillOutside(std::uint8_t* Buffer, std::int64_t First, std::int64_t End,
                                    const std::stop_token& Stop) {
    for (std::int64_t sector = First; sector < End; ++sector, Buffer += SectorBytes) {
        if (!FOverread || !FInner->ReadOutside(Buffer, sector, Stop)) {
            std::memset(Buffer, 0, static_cast<std::size_t>(SectorBytes));
        }
    }
}

bool OffsetChunkReader::Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                             std::stop_token Stop) {
    const std::int64_t begin = std::int64_t{Lsn} * SectorBytes + FShiftBytes;
    const std::int64_t first = FloorDiv(begin, SectorBytes);
    const std::int64_t skip = begin - first * SectorBytes;
    const std::int64_t sectors = Count + (skip > 0 ? 1 : 0);
    FScratch.resize(static_cast<std::size_t>(sectors * SectorBytes));
    if (!ReadDrive(FScratch.data(), first, sectors, Stop)) {
        return false;
    }
    std::memcpy(Buffer, FScratch.data() + skip, static_cast<std::size_t>(Count) * SectorBytes);
    return true;
}

bool OffsetChunkReader::ReadDrive(std::uint8_t* Buffer, std::int64_t First, std::int64_t Count,
                                  const std::stop_token& Stop) {
    if (Count <= 0) {
        return true;
    }
    std::int64_t from = First;
    std::uint8_t* to = Buffer;
    if (FKeptSector == from) {
        std::memcpy(to, FKept.data(), FKept.size());
        ++from;
        to += SectorBytes;
    }
    const std::int64_t end = First + Count;
    // Before the disc and past its data: silence unless the drive is to be
    // asked there, never through the reads of the disc.
    const std::int64_t readFrom = std::clamp<std::int64_t>(from, 0, FDataEnd);
    const std::int64_t readEnd = std::clamp<std::int64_t>(end, readFrom, FDataEnd);
    FillOutside(to, from, readFrom, Stop);
    std::uint8_t* const read = to + (readFrom - from) * SectorBytes;
    if (readEnd > readFrom && !FInner->Read(read, static_cast<std::int32_t>(readFrom),
                                            static_cast<std::int32_t>(readEnd - readFrom), Stop)) {
        FKeptSector = -1;
        return false;
    }
    FillOutside(read + (readEnd - readFrom) * SectorBytes, readEnd, end, Stop);
    std::memcpy(FKept.data(), Buffer + (Count - 1) * SectorBytes, FKept.size());
    FKeptSector = end - 1;
    return true;
}

} // namespace discread
