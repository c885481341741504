#pragma once

#include "disc_texts.h"
#include "discread.h"
#include "drives.h"
#include "image_reader.h"

#include <cdio/cdio.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace discread {

// An open drive or disc image and what was read of its table of contents.
// Images are read by the library's own readers; libcdio is used for drives.
class Disc {
public:
    // Opens the drive; nullptr when it cannot be opened (no disc). An image
    // that cannot be opened raises ImageError saying why.
    static std::unique_ptr<Disc> Open(const Drive& ADrive);

    const Drive& Where() const { return FDrive; }
    // The libcdio handle of a drive; nullptr for an image.
    CdIo_t* Handle() const { return FHandle.get(); }
    // The drive's vendor, model and firmware revision as it reports them,
    // blanks between; empty for an image or a drive that does not say.
    std::string Model() const;
    // The reader of an image; nullptr for a drive.
    const ImageReader* Image() const { return FImage.get(); }

    // Tracks then the lead-out; false when there is no readable table.
    bool ReadToc(std::vector<TTocEntry>& Toc) const;
    // The texts an image keeps, or the CD-Text and codes a drive reads.
    DiscTexts Texts() const;
    // Each track's pregap in sectors before its start, in table order; 0 where
    // there is none or the drive cannot tell.
    std::vector<std::int32_t> Pregaps() const;
    bool AudioPlaying() const;
    // The first sector past the disc's data (for an image, past what its data
    // files hold); -1 when it cannot be told.
    std::int32_t DataEnd() const;
    // Reads Count audio sectors from Lsn. Sectors at or past the lead-out are
    // refused: libcdio itself does not bound reads. An image raises ImageError
    // saying what failed.
    bool ReadAudio(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count) const;
    // A drive's read of the one sector Lsn outside the disc's data (its
    // lead-in or lead-out), which many drives refuse; false then, with no
    // error left, and always for an image.
    bool ReadOutside(std::uint8_t* Buffer, std::int64_t Lsn) const;

private:
    struct Destroy {
        void operator()(CdIo_t* Handle) const { cdio_destroy(Handle); }
    };
    Disc(Drive ADrive, CdIo_t* AHandle) : FDrive(std::move(ADrive)), FHandle(AHandle) {}
    Disc(Drive ADrive, std::unique_ptr<ImageReader> AImage)
        : FDrive(std::move(ADrive)), FImage(std::move(AImage)) {}

    Drive FDrive;
    std::unique_ptr<CdIo_t, Destroy> FHandle;
    std::unique_ptr<ImageReader> FImage;
};

// Whether a disc is in the drive. Returns false when the drive cannot be asked.
bool AskMediaPresent(const Drive& ADrive, bool& Present);

} // namespace discread
