#pragma once

#include "discread.h"
#include "drives.h"

#include <cdio/cdio.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace discread {

// An open drive or disc image and what was read of its table of contents.
class Disc {
public:
    // Opens the drive; nullptr when it cannot be opened (no disc, no image).
    static std::unique_ptr<Disc> Open(const Drive& ADrive);

    const Drive& Where() const { return FDrive; }
    CdIo_t* Handle() const { return FHandle.get(); }

    // Tracks then the lead-out; false when there is no readable table.
    bool ReadToc(std::vector<TTocEntry>& Toc) const;
    bool AudioPlaying() const;
    // The first sector past the disc's data (for an image, past the end of its
    // data file); -1 when it cannot be told.
    std::int32_t DataEnd() const;
    // Reads Count audio sectors from Lsn. Sectors at or past the lead-out are
    // refused: libcdio itself does not bound reads of images.
    bool ReadAudio(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count) const;

private:
    struct Destroy {
        void operator()(CdIo_t* Handle) const { cdio_destroy(Handle); }
    };
    Disc(Drive ADrive, CdIo_t* AHandle) : FDrive(std::move(ADrive)), FHandle(AHandle) {}

    Drive FDrive;
    std::unique_ptr<CdIo_t, Destroy> FHandle;
};

// Whether a disc is in the drive. Returns false when the drive cannot be asked.
bool AskMediaPresent(const Drive& ADrive, bool& Present);

} // namespace discread
