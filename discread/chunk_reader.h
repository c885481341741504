#pragma once

#include <cstdint>
#include <stop_token>

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
};

} // namespace discread
