#pragma once

#include "disc.h"
#include "settings.h"

#include <cstdint>
#include <memory>

namespace discread {

// Sequential reading of the sectors [first, end) of one drive, a chunk at a time.
// Images are read directly (or, when the settings ask, through libcdio-paranoia
// as drives are); drives through libcdio-paranoia unless the settings ask for
// plain reads.
class Ripper {
public:
    virtual ~Ripper() = default;
    Ripper(const Ripper&) = delete;
    Ripper& operator=(const Ripper&) = delete;
    Ripper(Ripper&&) = delete;
    Ripper& operator=(Ripper&&) = delete;

    // nullptr with Error set when the drive cannot be opened for reading.
    static std::unique_ptr<Ripper> Open(const Drive& ADrive, const Settings& Options,
                                        std::int32_t First, std::int32_t End,
                                        std::int32_t ChunkSectors, std::int32_t& Error);

    // Fills Buffer with the next chunk and sets Bytes (0 at the end of the
    // range). On a failed read returns DR_ERR_READ with Bytes 0; the reading
    // stays where it was.
    std::int32_t Next(std::uint8_t* Buffer, std::int32_t& Bytes);

protected:
    Ripper(std::unique_ptr<Disc> ADisc, std::int32_t First, std::int32_t End,
           std::int32_t ChunkSectors)
        : FDisc(std::move(ADisc)), FNext(First), FEnd(End), FChunkSectors(ChunkSectors) {}

    virtual bool ReadSectors(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count) = 0;
    const Disc& Source() const { return *FDisc; }

private:
    std::unique_ptr<Disc> FDisc;
    std::int32_t FNext;
    std::int32_t FEnd;
    std::int32_t FChunkSectors;
};

} // namespace discread
