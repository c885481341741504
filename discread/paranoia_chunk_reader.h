#pragma once

#include "chunk_reader.h"
#include "disc.h"
#include "image_drive.h"
#include "read_record.h"

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <memory>

namespace discread {

// Reads a disc through libcdio-paranoia, with verification and retries: a
// drive, or an image dressed as one (ImageDrive).
class ParanoiaChunkReader final : public ChunkReader {
public:
    // Takes Drive (closed here unless the image's drive owns it) and Paranoia,
    // which reads in the PARANOIA_MODE_* Modes (never skipping); reading starts
    // at First.
    ParanoiaChunkReader(std::unique_ptr<Disc> ADisc, std::unique_ptr<ImageDrive> AImageDrive,
                        cdrom_drive_t* ADrive, cdrom_paranoia_t* AParanoia, int AModes,
                        std::int32_t First);

    bool Read(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
              std::stop_token Stop) override;
    // The drive's own read too: paranoia knows nothing outside the disc.
    bool ReadOutside(std::uint8_t* Buffer, std::int64_t Sector,
                     const std::stop_token& Stop) override;

protected:
    // The drive's own read of the sector, without paranoia, which has given
    // up on the chunk (and on sectors some way before the bad one with it).
    bool ReadAlone(std::uint8_t* Buffer, std::int32_t Lsn, const std::stop_token& Stop) override;

private:
    using DriveRead = long (*)(cdrom_drive_t*, void*, lsn_t, long);
    // The drive's read_audio while this reader reads: the drive's own read,
    // with what it gave noted in the record.
    static long RecordedRead(cdrom_drive_t* Drive, void* Buffer, lsn_t Begin, long Sectors);

    // Ends paranoia's work on the sector it is reading: the sector is lost.
    void GiveUp();
    // A new paranoia in place of the old; false when none can be made.
    bool Renew();

    // Read's work once the drive's hook notes for this reader: the passes
    // over the chunk.
    bool ReadAttempts(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                      const std::stop_token& Stop);

    enum class Attempt { Read, Lost, Stopped };
    // One pass of paranoia over the chunk from where it stands.
    Attempt ReadOnce(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count,
                     const std::stop_token& Stop);

    struct FreeDrive {
        bool Owned;
        void operator()(cdrom_drive_t* Drive) const;
    };
    struct FreeParanoia {
        void operator()(cdrom_paranoia_t* Paranoia) const { cdio_paranoia_free(Paranoia); }
    };

    // Paranoia, told never to skip, reads a sector again for as long as its
    // reads fail or disagree; allowed to skip, it loses its place when the very
    // first sectors after a seek cannot be read (it starts again from the
    // disc's start, a sector or two a skip). So the reader bounds it instead:
    // past MaxPasses readings again for one sector, the sector is lost.
    static constexpr int MaxPasses = 20;
    // Only paranoia's skipping looks at it.
    static constexpr int MaxRetries = 20;
    static constexpr int MaxAttempts = 2;
    // In the order they are made, so that each goes before what it uses.
    std::unique_ptr<Disc> FDisc;
    std::unique_ptr<ImageDrive> FImageDrive;
    std::unique_ptr<cdrom_drive_t, FreeDrive> FDrive;
    std::unique_ptr<cdrom_paranoia_t, FreeParanoia> FParanoia;
    DriveRead FDriveRead = nullptr;
    int FModes = 0;
    ReadRecord FRecord;
    std::int32_t FExpected = -1;
    // For the sector paranoia is reading now: its passes so far, whether the
    // reader has given up on it, where its last read ended, and the stop.
    int FPasses = 0;
    bool FGivenUp = false;
    // Paranoia's caches may hold made-up audio (a sector given up) or its
    // place is lost (a sector read alone): the next read starts a new one.
    bool FRenew = false;
    std::int64_t FLastEnd = -1;
    std::stop_token FStop;
};

} // namespace discread
