#pragma once

#include "image_reader.h"

#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>

#include <string>

namespace discread {

// A disc image dressed as a drive for libcdio-paranoia, so that images go
// through the same verified reading code as physical drives (tests use it to
// exercise that code). libcdio navigates a sheet that the library writes
// itself, a cue over a sparse file with the image's track starts; every read
// of audio comes from the ImageReader through the drive's read_audio hook.
class ImageDrive {
public:
    // Raises ImageError when libcdio cannot be set up over the image.
    explicit ImageDrive(const ImageReader& AImage);
    ~ImageDrive();
    ImageDrive(const ImageDrive&) = delete;
    ImageDrive& operator=(const ImageDrive&) = delete;
    ImageDrive(ImageDrive&&) = delete;
    ImageDrive& operator=(ImageDrive&&) = delete;

    cdrom_drive_t* Drive() const { return FDrive; }

    // Makes Image the one the hook reads, on this thread, while it lives:
    // libcdio's hook has no argument of its own.
    class Reading {
    public:
        explicit Reading(const ImageReader* Image);
        ~Reading();
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;
        Reading(Reading&&) = delete;
        Reading& operator=(Reading&&) = delete;

    private:
        const ImageReader* FPrevious;
    };

private:
    void Build(const ImageReader& AImage);
    void Release();

    std::string FFolder;
    CdIo_t* FHandle = nullptr;
    cdrom_drive_t* FDrive = nullptr;
};

} // namespace discread
