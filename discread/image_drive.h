#pragma once

#include "image_reader.h"
#include "simulated_drive.h"

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>

#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>

namespace discread {

// A disc image dressed as a drive for libcdio-paranoia, so that images go
// through the same verified reading code as physical drives (tests use it to
// exercise that code). libcdio navigates a sheet that the library writes
// itself, a cue over a sparse file with the image's track starts; every read
// of audio comes from the ImageReader through the drive's read_audio hook.
class ImageDrive {
public:
    // Simulated, when there is one, stands in front of every read of the
    // image. Raises ImageError when libcdio cannot be set up over the image.
    explicit ImageDrive(const ImageReader& AImage,
                        std::unique_ptr<SimulatedDrive> ASimulated = nullptr);
    ~ImageDrive();
    ImageDrive(const ImageDrive&) = delete;
    ImageDrive& operator=(const ImageDrive&) = delete;
    ImageDrive(ImageDrive&&) = delete;
    ImageDrive& operator=(ImageDrive&&) = delete;

    cdrom_drive_t* Drive() const { return FDrive; }

    // Makes Drive the one the hook reads, on this thread, while it lives, and
    // Stop what cuts its simulated waits short: libcdio's hook has no argument
    // of its own.
    class Reading {
    public:
        Reading(ImageDrive& Drive, std::stop_token Stop);
        ~Reading();
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;
        Reading(Reading&&) = delete;
        Reading& operator=(Reading&&) = delete;

    private:
        ImageDrive* FPreviousDrive;
        std::stop_token FPreviousStop;
    };

    // The read_audio hook's work: Sectors sectors from Begin into Buffer (none
    // into no buffer, a seek), through the simulated drive; -1, with the
    // thread's last error saying why, when they cannot be read.
    long Read(void* Buffer, std::int64_t Begin, long Sectors, const std::stop_token& Stop);
    // Sectors sectors from Begin into Buffer, through the simulated drive, not
    // through paranoia: false when the drive cannot read them; raises
    // ImageError when the image cannot (a data file that ends too soon).
    bool ReadPlain(std::uint8_t* Buffer, std::int64_t Begin, long Sectors,
                   const std::stop_token& Stop);
    // A sector outside the image's data, which only a simulated drive that
    // reads its lead-in and lead-out has.
    bool ReadOutside(std::uint8_t* Buffer, std::int64_t Sector) const;

private:
    void Build();
    void Release();

    const ImageReader& FImage;
    std::unique_ptr<SimulatedDrive> FSimulated;
    std::string FFolder;
    CdIo_t* FHandle = nullptr;
    cdrom_drive_t* FDrive = nullptr;
};

} // namespace discread
