#include "chunk_reader.h"

#include "simulated_drive.h"

#include <cstring>

namespace discread {

namespace {

// A sector the drive cannot read fails the read or, on a simulated drive,
// raises; anything else raised (an image's data file that ends too soon) is no
// damage of the disc and goes on up.
template <class ReadCall> bool ReadUnlessUnreadable(ReadCall&& Call) {
    try {
        return Call();
    } catch (const UnreadableSector&) {
        return false;
    }
}

} // namespace

bool ChunkReader::ReadSkipping(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                               const std::stop_token& Stop, std::vector<std::int32_t>& Unreadable) {
    constexpr std::ptrdiff_t SectorBytes = 2352;
    if (ReadUnlessUnreadable([&] { return Read(Buffer, Lsn, Count, Stop); })) {
        return true;
    }
    for (std::int32_t i = 0; i < Count; ++i) {
        if (Stop.stop_requested()) {
            return false;
        }
        std::uint8_t* const sector = Buffer + i * SectorBytes;
        if (!ReadUnlessUnreadable([&] { return ReadAlone(sector, Lsn + i, Stop); })) {
            if (Stop.stop_requested()) {
                return false;
            }
            std::memset(sector, 0, SectorBytes);
            Unreadable.push_back(Lsn + i);
        }
    }
    return true;
}

} // namespace discread
