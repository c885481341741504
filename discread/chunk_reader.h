#pragma once

#include <cstdint>
#include <stop_token>
#include <vector>

namespace discread {

// Reads the sectors of one drive for a ripper, on the ripper's reading thread.
class ChunkReader {
public:
    ChunkReader() = default;
    virtual ~ChunkReader() = default;
    ChunkReader(const ChunkReader&) = delete;
    ChunkReader& operator=(const ChunkReader&) = delete;
    ChunkReader(ChunkReader&&) = delete;
    ChunkReader& operator=(ChunkReader&&) = delete;

    // Reads Count sectors from Lsn into Buffer. False when they cannot be read
    // (the thread's last error says why, when it can be told) or when Stop was
    // asked for, which cuts any wait of the read short. May raise ImageError.
    virtual bool Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                      std::stop_token Stop) = 0;

    // Reads as Read does; when that fails, reads the sectors one by one, and
    // gives each that cannot be read as silence, its number added to
    // Unreadable. False only when Stop was asked for; raises what Read and
    // ReadAlone raise (an image's data file that ends too soon is no damage).
    bool ReadSkipping(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                      const std::stop_token& Stop, std::vector<std::int32_t>& Unreadable);

    // Reads the one sector Sector, which lies before the disc's first sector
    // or from its data's end on, from the drive's lead-in or lead-out. False
    // when the drive cannot read there (an image never can), which is no
    // error: those sectors are then silence.
    virtual bool ReadOutside(std::uint8_t* /*Buffer*/, std::int64_t /*Sector*/,
                             const std::stop_token& /*Stop*/) {
        return false;
    }

protected:
    // Reads the one sector Lsn, as plainly as the drive allows: the reading
    // that failed for its chunk is not asked again.
    virtual bool ReadAlone(std::uint8_t* Buffer, std::int32_t Lsn, const std::stop_token& Stop) {
        return Read(Buffer, Lsn, 1, Stop);
    }
};

} // namespace discread
