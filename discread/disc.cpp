#include "disc.h"

#include "disc_image.h"
#include "discread.h"
#include "drive_texts.h"
#include "last_error.h"

#include <cdio/audio.h>
#include <cdio/mmc.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace discread {

namespace {

bool FileExists(const std::string& Path) {
    struct stat info {};
    return ::stat(Path.c_str(), &info) == 0;
}

std::uint8_t ControlOf(CdIo_t* Handle, track_t Track) {
    std::uint8_t control = 0;
    if (cdio_get_track_format(Handle, Track) != TRACK_FORMAT_AUDIO) {
        control |= DR_CONTROL_DATA;
    }
    if (cdio_get_track_copy_permit(Handle, Track) == CDIO_TRACK_FLAG_TRUE) {
        control |= DR_CONTROL_COPY_PERMITTED;
    }
    if (cdio_get_track_preemphasis(Handle, Track) == CDIO_TRACK_FLAG_TRUE) {
        control |= DR_CONTROL_PRE_EMPHASIS;
    }
    if (cdio_get_track_channels(Handle, Track) == 4) {
        control |= DR_CONTROL_FOUR_CHANNELS;
    }
    return control;
}

constexpr std::uint8_t AdrPosition = 0x10;

} // namespace

std::unique_ptr<Disc> Disc::Open(const Drive& ADrive) {
    if (ADrive.Image) {
        if (!FileExists(ADrive.Path)) {
            SetLastError("Cannot open disc image \"" + ADrive.Path + "\": it does not exist");
            return nullptr;
        }
        return std::unique_ptr<Disc>(new Disc(ADrive, OpenDiscImage(ADrive.Path)));
    }
    CdIo_t* const handle = cdio_open(ADrive.Path.c_str(), DRIVER_DEVICE);
    if (handle == nullptr) {
        SetLastError("The drive \"" + ADrive.Path + "\" cannot be opened");
        return nullptr;
    }
    return std::unique_ptr<Disc>(new Disc(ADrive, handle));
}

std::string Disc::Model() const {
    cdio_hwinfo_t info{};
    if (FImage || !cdio_get_hwinfo(Handle(), &info)) {
        return {};
    }
    std::string model;
    const auto field = [](const auto& Chars) {
        return std::string(Chars, ::strnlen(Chars, sizeof Chars));
    };
    for (std::string text :
         {field(info.psz_vendor), field(info.psz_model), field(info.psz_revision)}) {
        const auto first = text.find_first_not_of(' ');
        if (first == std::string::npos) {
            continue;
        }
        text = text.substr(first, text.find_last_not_of(' ') - first + 1);
        model += (model.empty() ? "" : " ") + text;
    }
    return model;
}

bool Disc::ReadToc(std::vector<TTocEntry>& Toc) const {
    Toc.clear();
    if (FImage) {
        const ImageLayout& layout = FImage->Layout();
        for (const ImageTrack& track : layout.Tracks) {
            Toc.push_back({static_cast<std::int32_t>(track.Start),
                           static_cast<std::uint8_t>(AdrPosition | track.Control),
                           static_cast<std::uint8_t>(track.Number),
                           {0, 0}});
        }
        Toc.push_back(
            {static_cast<std::int32_t>(std::max(layout.End(), layout.Tracks.back().Start)),
             AdrPosition,
             CDIO_CDROM_LEADOUT_TRACK,
             {0, 0}});
        return true;
    }
    CdIo_t* const handle = Handle();
    const track_t count = cdio_get_num_tracks(handle);
    const track_t first = cdio_get_first_track_num(handle);
    if (count == CDIO_INVALID_TRACK || count == 0 || first == CDIO_INVALID_TRACK) {
        return false;
    }
    for (track_t track = first; track < first + count; ++track) {
        const lsn_t start = cdio_get_track_lsn(handle, track);
        if (start == CDIO_INVALID_LSN) {
            Toc.clear();
            return false;
        }
        Toc.push_back({start,
                       static_cast<std::uint8_t>(AdrPosition | ControlOf(handle, track)),
                       static_cast<std::uint8_t>(track),
                       {0, 0}});
    }
    const lsn_t leadOut = cdio_get_track_lsn(handle, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN) {
        Toc.clear();
        return false;
    }
    // An image cut short ends before the tracks its cue sheet still lists. The
    // table keeps every listed track; the sectors that are not there fail when
    // they are read.
    Toc.push_back(
        {std::max(leadOut, Toc.back().StartSector), AdrPosition, CDIO_CDROM_LEADOUT_TRACK, {0, 0}});
    return true;
}

DiscTexts Disc::Texts() const {
    DiscTexts texts;
    if (!FImage) {
        std::vector<TTocEntry> toc;
        const std::size_t tracks = ReadToc(toc) ? toc.size() - 1 : 0;
        texts = DriveTexts(Handle());
        // The table decides how many tracks there are.
        texts.Tracks.resize(tracks);
        return texts;
    }
    const ImageLayout& layout = FImage->Layout();
    texts.Disc = {layout.Catalog, layout.Title, layout.Performer, {}};
    for (const ImageTrack& track : layout.Tracks) {
        texts.Tracks.push_back({track.Isrc, track.Title, track.Performer, track.Songwriter});
    }
    return texts;
}

std::vector<std::int32_t> Disc::Pregaps() const {
    std::vector<std::int32_t> pregaps;
    if (FImage) {
        for (const ImageTrack& track : FImage->Layout().Tracks) {
            pregaps.push_back(static_cast<std::int32_t>(track.Pregap));
        }
        return pregaps;
    }
    std::vector<TTocEntry> toc;
    if (!ReadToc(toc)) {
        return pregaps;
    }
    for (std::size_t i = 0; i + 1 < toc.size(); ++i) {
        // Drives that cannot scan the sub-channel for INDEX 00 give none.
        const lsn_t from = cdio_get_track_pregap_lsn(Handle(), toc[i].TrackNumber);
        const bool known = from != CDIO_INVALID_LSN && from < toc[i].StartSector &&
                           from >= (i == 0 ? 0 : toc[i - 1].StartSector);
        pregaps.push_back(known ? toc[i].StartSector - from : 0);
    }
    return pregaps;
}

bool Disc::AudioPlaying() const {
    // Sub-channel queries are for real drives only; an image never plays.
    if (FDrive.Image) {
        return false;
    }
    cdio_subchannel_t subchannel{};
    return cdio_audio_read_subchannel(Handle(), &subchannel) == DRIVER_OP_SUCCESS &&
           subchannel.audio_status == CDIO_MMC_READ_SUB_ST_PLAY;
}

std::int32_t Disc::DataEnd() const {
    if (FImage) {
        return static_cast<std::int32_t>(FImage->DataEnd());
    }
    const lsn_t leadOut = cdio_get_track_lsn(Handle(), CDIO_CDROM_LEADOUT_TRACK);
    return leadOut == CDIO_INVALID_LSN ? -1 : leadOut;
}

bool Disc::ReadOutside(std::uint8_t* Buffer, std::int64_t Lsn) const {
    if (FImage || Lsn < INT32_MIN || Lsn > INT32_MAX) {
        return false;
    }
    return cdio_read_audio_sectors(Handle(), Buffer, static_cast<lsn_t>(Lsn), 1) ==
           DRIVER_OP_SUCCESS;
}

bool Disc::ReadAudio(std::uint8_t* Buffer, std::int32_t Lsn, std::int32_t Count) const {
    if (FImage) {
        FImage->Read(Buffer, Lsn, Count);
        return true;
    }
    const std::int64_t end = DataEnd();
    // 64-bit, so a range near the top of the 32-bit addresses cannot wrap round.
    if (Lsn < 0 || Count < 0 || end < 0 || std::int64_t{Lsn} + Count > end) {
        SetLastError("sector " + std::to_string(Lsn) + " lies past the end of the disc");
        return false;
    }
    if (cdio_read_audio_sectors(Handle(), Buffer, Lsn, static_cast<std::uint32_t>(Count)) !=
        DRIVER_OP_SUCCESS) {
        SetLastError("the drive could not read sector " + std::to_string(Lsn));
        return false;
    }
    return true;
}

bool AskMediaPresent(const Drive& ADrive, bool& Present) {
    if (ADrive.Image) {
        Present = FileExists(ADrive.Path);
        return true;
    }
    const std::unique_ptr<Disc> disc = Disc::Open(ADrive);
    if (!disc) {
        // The device node itself could not be opened: nothing can be said.
        return false;
    }
    const track_t count = cdio_get_num_tracks(disc->Handle());
    Present = count != CDIO_INVALID_TRACK && count > 0;
    return true;
}

} // namespace discread
