#pragma once

#include "chunk_reader.h"
#include "disc.h"
#include "simulated_drive.h"

#include <memory>

namespace discread {

// Reads a disc as it stands, without paranoia: an image by the library's own
// reader (through the test gate, and through a simulated drive when there is
// one), a drive by libcdio's plain reads.
class DirectChunkReader final : public ChunkReader {
public:
    DirectChunkReader(std::unique_ptr<Disc> ADisc, std::unique_ptr<SimulatedDrive> ASimulated);

    bool Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
              std::stop_token Stop) override;
    bool ReadOutside(std::uint8_t* Buffer, std::int64_t Sector,
                     const std::stop_token& Stop) override;

private:
    std::unique_ptr<Disc> FDisc;
    std::unique_ptr<SimulatedDrive> FSimulated;
};

} // namespace discread
