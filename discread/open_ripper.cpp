#include "open_ripper.h"

#include "direct_chunk_reader.h"
#include "disc.h"
#include "discread.h"
#include "drive_simulation.h"
#include "image_drive.h"
#include "last_error.h"
#include "offset_chunk_reader.h"
#include "paranoia_chunk_reader.h"
#include "simulated_drive.h"

#include <optional>
#include <string>

namespace discread {

namespace {

// The reader of Source that the settings and the simulation ask for.
std::unique_ptr<ChunkReader> MakeReader(const Drive& ADrive, const Settings& Options,
                                        std::unique_ptr<Disc> Source,
                                        std::optional<DriveSimulation> Simulation,
                                        std::int32_t First, std::int32_t& Error) {
    // A simulated drive stands in front of the image's reads whichever way a
    // drive would be read: plainly or through paranoia.
    std::unique_ptr<SimulatedDrive> simulated;
    if (Simulation && ADrive.Image) {
        simulated = std::make_unique<SimulatedDrive>(std::move(*Simulation), DriveClock::Steady());
    }
    const ParanoiaMode mode = Options.Paranoia;
    if (mode == ParanoiaMode::Plain || (ADrive.Image && !Options.ParanoiaImages && !simulated)) {
        return std::make_unique<DirectChunkReader>(std::move(Source), std::move(simulated));
    }
    std::unique_ptr<ImageDrive> imageDrive;
    cdrom_drive_t* drive = nullptr;
    if (Source->Image() != nullptr) {
        imageDrive = std::make_unique<ImageDrive>(*Source->Image(), std::move(simulated));
        drive = imageDrive->Drive();
    } else {
        drive = cdio_cddap_identify_cdio(Source->Handle(), CDDA_MESSAGE_FORGETIT, nullptr);
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
    const int modes = mode == ParanoiaMode::Overlap ? PARANOIA_MODE_OVERLAP : PARANOIA_MODE_FULL;
    return std::make_unique<ParanoiaChunkReader>(std::move(Source), std::move(imageDrive), drive,
                                                 paranoia, modes, First);
}

} // namespace

std::unique_ptr<Ripper> OpenRipper(const Drive& ADrive, const Settings& Options, std::int32_t First,
                                   std::int32_t End, std::int32_t ChunkSectors,
                                   const ReadChoices& Choices, std::int32_t& Error) {
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
    const std::int32_t dataEnd = disc->DataEnd();
    std::unique_ptr<ChunkReader> reader =
        MakeReader(ADrive, Options, std::move(disc), std::move(simulation), First, Error);
    if (!reader) {
        return nullptr;
    }
    if (Choices.OffsetSamples != 0) {
        reader = std::make_unique<OffsetChunkReader>(std::move(reader), Choices.OffsetSamples,
                                                     dataEnd, Choices.Overread);
    }
    return std::make_unique<Ripper>(std::move(reader), First, End, ChunkSectors,
                                    Choices.Unreadable);
}

} // namespace discread
