#include "image_drive.h"

#include "cd_time.h"
#include "last_error.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace discread {

namespace {

thread_local ImageDrive* CurrentDrive = nullptr;
thread_local std::stop_token CurrentStop;

long ReadFromImage(cdrom_drive_t*, void* Buffer, lsn_t Begin, long Sectors) {
    return CurrentDrive != nullptr ? CurrentDrive->Read(Buffer, Begin, Sectors, CurrentStop) : -1;
}

} // namespace

ImageDrive::Reading::Reading(ImageDrive& Drive, std::stop_token Stop)
    : FPreviousDrive(CurrentDrive), FPreviousStop(std::move(CurrentStop)) {
    CurrentDrive = &Drive;
    CurrentStop = std::move(Stop);
}

ImageDrive::Reading::~Reading() {
    CurrentDrive = FPreviousDrive;
    CurrentStop = std::move(FPreviousStop);
}

ImageDrive::ImageDrive(const ImageReader& AImage, std::unique_ptr<SimulatedDrive> ASimulated)
    : FImage(AImage), FSimulated(std::move(ASimulated)) {
    char folder[] = "/tmp/discread-paranoia-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        throw ImageError("no folder for the verified reading can be made");
    }
    FFolder = folder;
    try {
        Build();
    } catch (...) {
        Release();
        throw;
    }
}

long ImageDrive::Read(void* Buffer, std::int64_t Begin, long Sectors, const std::stop_token& Stop) {
    // Paranoia seeks by reading into no buffer: there is no head to move, only
    // the range to check.
    if (Buffer == nullptr) {
        if (Begin < 0 || Sectors < 0 || Begin + Sectors > FImage.End()) {
            SetLastError("sector " + std::to_string(Begin) + " lies past the end of the disc");
            return -1;
        }
        return Sectors;
    }
    try {
        if (!ReadPlain(static_cast<std::uint8_t*>(Buffer), Begin, Sectors, Stop)) {
            return -1;
        }
    } catch (const ImageError& e) {
        SetLastError(e.what());
        return -1;
    }
    return Sectors;
}

bool ImageDrive::ReadPlain(std::uint8_t* Buffer, std::int64_t Begin, long Sectors,
                           const std::stop_token& Stop) {
    if (FSimulated && !FSimulated->Read(Begin, Sectors, Stop)) {
        return false;
    }
    FImage.Read(Buffer, Begin, Sectors);
    if (FSimulated) {
        FSimulated->Garble(Buffer, Begin, Sectors);
    }
    return true;
}

bool ImageDrive::ReadOutside(std::uint8_t* Buffer, std::int64_t Sector) const {
    return FSimulated && FSimulated->ReadLead(Buffer, Sector, FImage.DataEnd());
}

void ImageDrive::Build() {
    const ImageLayout& layout = FImage.Layout();
    // The sheet libcdio navigates by: the image's track starts over a sparse
    // file of its length, which libcdio never reads.
    const std::string bin = FFolder + "/disc.bin";
    const int handle = ::open(bin.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool sized = handle >= 0 && ::ftruncate(handle, FImage.End() * RawSectorBytes) == 0;
    if (handle >= 0) {
        ::close(handle);
    }
    std::ofstream cue(FFolder + "/disc.cue");
    cue << "FILE \"disc.bin\" BINARY\n";
    for (std::size_t i = 0; i < layout.Tracks.size(); ++i) {
        const ImageTrack& track = layout.Tracks[i];
        char number[16];
        std::snprintf(number, sizeof number, "%02d", static_cast<int>(i + 1));
        cue << "  TRACK " << number
            << ((track.Control & DR_CONTROL_DATA) != 0 ? " MODE1/2352\n" : " AUDIO\n")
            << "    INDEX 01 " << FormatCdTime(track.Start) << "\n";
    }
    cue.close();
    if (!sized || !cue) {
        throw ImageError("the sheet for the verified reading cannot be written");
    }
    FHandle = cdio_open((FFolder + "/disc.cue").c_str(), DRIVER_BINCUE);
    if (FHandle != nullptr) {
        FDrive = cdio_cddap_identify_cdio(FHandle, CDDA_MESSAGE_FORGETIT, nullptr);
    }
    if (FDrive == nullptr || cdio_cddap_open(FDrive) != 0) {
        throw ImageError("libcdio cannot read the image through its verified path");
    }
    FDrive->read_audio = ReadFromImage;
}

ImageDrive::~ImageDrive() {
    Release();
}

void ImageDrive::Release() {
    if (FDrive != nullptr) {
        cdio_cddap_close_no_free_cdio(FDrive);
    }
    if (FHandle != nullptr) {
        cdio_destroy(FHandle);
    }
    FDrive = nullptr;
    FHandle = nullptr;
    for (const char* name : {"/disc.cue", "/disc.bin"}) {
        ::unlink((FFolder + name).c_str());
    }
    ::rmdir(FFolder.c_str());
}

} // namespace discread
