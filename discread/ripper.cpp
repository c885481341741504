#include "ripper.h"

#include "image_drive.h"
#include "last_error.h"
#include "read_gate.h"
#include "simulated_drive.h"

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace discread {

namespace {

constexpr std::int32_t SectorBytes = CDIO_CD_FRAMESIZE_RAW;

class ImageRipper final : public Ripper {
public:
    ImageRipper(std::unique_ptr<Disc> ADisc, std::int32_t First, std::int32_t End,
                std::int32_t ChunkSectors, std::unique_ptr<SimulatedDrive> ASimulated)
        : Ripper(std::move(ADisc), First, End, ChunkSectors), FSimulated(std::move(ASimulated)) {}

private:
    bool ReadSectors(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count) override {
        PassImageReadGate();
        if (FSimulated && !FSimulated->Read(Lsn, Count, {})) {
            return false;
        }
        return Source().ReadAudio(Buffer, Lsn, Count);
    }

    std::unique_ptr<SimulatedDrive> FSimulated;
};

// The paranoia callback has no user argument; reads of one ripper run on one
// thread at a time, so a thread-local flag carries the verdict back. A hard
// read error is what paranoia reads again; only a sector it gave up on after
// its retries is lost (counting the errors too failed sectors that a second
// read had recovered).
thread_local bool SectorLost = false;

void NoteParanoiaEvent(long, paranoia_cb_mode_t Event) {
    if (Event == PARANOIA_CB_SKIP) {
        SectorLost = true;
    }
}

class DriveRipper final : public Ripper {
public:
    DriveRipper(std::unique_ptr<Disc> ADisc, std::int32_t First, std::int32_t End,
                std::int32_t ChunkSectors, std::unique_ptr<ImageDrive> AImageDrive,
                cdrom_drive_t* ADrive, cdrom_paranoia_t* AParanoia)
        : Ripper(std::move(ADisc), First, End, ChunkSectors), FImageDrive(std::move(AImageDrive)),
          FDrive(ADrive, FreeDrive{!FImageDrive}), FParanoia(AParanoia) {
        cdio_paranoia_seek(FParanoia.get(), First, SEEK_SET);
        FExpected = First;
    }

private:
    // An image's drive closes its own cdrom_drive_t.
    struct FreeDrive {
        bool Owned;
        void operator()(cdrom_drive_t* Drive) const {
            if (Owned) {
                cdio_cddap_close_no_free_cdio(Drive);
            }
        }
    };
    struct FreeParanoia {
        void operator()(cdrom_paranoia_t* Paranoia) const { cdio_paranoia_free(Paranoia); }
    };

    bool ReadSectors(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count) override {
        if (Lsn != FExpected) {
            cdio_paranoia_seek(FParanoia.get(), Lsn, SEEK_SET);
        }
        // Paranoia does not stop at the lead-out: past it a drive (or an image
        // through this path) would hand back silence as if it had been read.
        const std::int64_t end = Source().DataEnd();
        if (std::int64_t{Lsn} + Count > end) {
            SetLastError("sector " + std::to_string(std::max<std::int64_t>(Lsn, end)) +
                         " lies past the end of the disc's data");
            return false;
        }
        std::optional<ImageDrive::Reading> reading;
        if (FImageDrive) {
            reading.emplace(*FImageDrive, std::stop_token{});
        }
        for (std::int32_t i = 0; i < Count; ++i) {
            SectorLost = false;
            const std::int16_t* const samples =
                cdio_paranoia_read_limited(FParanoia.get(), NoteParanoiaEvent, MaxRetries);
            if (samples == nullptr || SectorLost) {
                const std::string why = FImageDrive ? FImageDrive->WhyLost(Lsn + i) : "";
                SetLastError(why.empty() ? "sector " + std::to_string(Lsn + i) + " cannot be read"
                                         : why);
                // Paranoia has moved on; the next attempt seeks back.
                FExpected = -1;
                return false;
            }
            std::memcpy(Buffer + static_cast<std::ptrdiff_t>(i) * SectorBytes, samples,
                        SectorBytes);
        }
        FExpected = Lsn + Count;
        return true;
    }

    static constexpr int MaxRetries = 20;
    // Declared first, so it goes last: the drive and paranoia below use it.
    std::unique_ptr<ImageDrive> FImageDrive;
    std::unique_ptr<cdrom_drive_t, FreeDrive> FDrive;
    std::unique_ptr<cdrom_paranoia_t, FreeParanoia> FParanoia;
    std::int32_t FExpected = -1;
};

} // namespace

std::unique_ptr<Ripper> Ripper::Open(const Drive& ADrive, const Settings& Options,
                                     std::int32_t First, std::int32_t End,
                                     std::int32_t ChunkSectors, std::int32_t& Error) {
    // Refused whatever the drive: a value that is not right is a mistake
    // whoever set it should hear of, not a simulation quietly left out.
    std::optional<DriveSimulation> simulation;
    if (Options.Simulation) {
        try {
            simulation = ParseDriveSimulation(*Options.Simulation);
        } catch (const ImageError& e) {
            SetLastError(e.what());
            Error = DR_ERR_NO_DRIVE;
            return nullptr;
        }
    }
    std::unique_ptr<Disc> disc = Disc::Open(ADrive);
    if (!disc) {
        Error = ADrive.Image ? DR_ERR_NO_DISC : DR_ERR_NO_DRIVE;
        return nullptr;
    }
    // A range that starts where the data has ended (a track that a cut image
    // lists but does not hold) would read nothing and pass for an empty track.
    if (First >= disc->DataEnd()) {
        SetLastError("the range starts at sector " + std::to_string(First) +
                     ", where the disc's data has ended (sector " +
                     std::to_string(disc->DataEnd()) + ")");
        Error = DR_ERR_READ;
        return nullptr;
    }
    // A simulated drive stands in front of the image's reads whichever way a
    // drive would be read: plainly or through paranoia.
    std::unique_ptr<SimulatedDrive> simulated;
    if (simulation && ADrive.Image) {
        simulated = std::make_unique<SimulatedDrive>(std::move(*simulation), DriveClock::Steady());
    }
    const ParanoiaMode mode = Options.Paranoia;
    if (mode == ParanoiaMode::Plain || (ADrive.Image && !Options.ParanoiaImages && !simulated)) {
        return std::make_unique<ImageRipper>(std::move(disc), First, End, ChunkSectors,
                                             std::move(simulated));
    }
    std::unique_ptr<ImageDrive> imageDrive;
    cdrom_drive_t* drive = nullptr;
    if (disc->Image() != nullptr) {
        imageDrive = std::make_unique<ImageDrive>(*disc->Image(), std::move(simulated));
        drive = imageDrive->Drive();
    } else {
        drive = cdio_cddap_identify_cdio(disc->Handle(), CDDA_MESSAGE_FORGETIT, nullptr);
        if (drive == nullptr || cdio_cddap_open(drive) != 0) {
            if (drive != nullptr) {
                cdio_cddap_close_no_free_cdio(drive);
            }
            Error = DR_ERR_NO_DRIVE;
            return nullptr;
        }
    }
    cdrom_paranoia_t* const paranoia = cdio_paranoia_init(drive);
    if (paranoia == nullptr) {
        if (!imageDrive) {
            cdio_cddap_close_no_free_cdio(drive);
        }
        Error = DR_ERR_NO_DRIVE;
        return nullptr;
    }
    // Never-skip is left out on purpose: a sector that stays unreadable after the
    // retries is reported as a failed read instead of stalling the rip for ever.
    const int flags = mode == ParanoiaMode::Overlap
                          ? PARANOIA_MODE_OVERLAP
                          : (PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    cdio_paranoia_modeset(paranoia, flags);
    return std::make_unique<DriveRipper>(std::move(disc), First, End, ChunkSectors,
                                         std::move(imageDrive), drive, paranoia);
}

std::int32_t Ripper::Next(std::uint8_t* Buffer, std::int32_t& Bytes) {
    Bytes = 0;
    const std::int32_t count = std::min(FChunkSectors, FEnd - FNext);
    if (count <= 0) {
        return DR_OK;
    }
    if (!ReadSectors(Buffer, FNext, count)) {
        return DR_ERR_READ;
    }
    FNext += count;
    Bytes = count * SectorBytes;
    return DR_OK;
}

} // namespace discread
