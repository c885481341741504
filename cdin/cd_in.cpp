#include "cdin/cd_in.h"

#include "cdin/discread_binding.h"
#include "pipeline/audio_exception.h"
#include "platform/settings_directory.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace kestrune {

namespace {

// The library's own words for its last failure, to follow a message.
std::string Reason() {
    const std::string why = RipLibraryErrorText();
    return why.empty() ? std::string() : ": " + why;
}

} // namespace

class TCDIn::DriveUse {
public:
    explicit DriveUse(TCDIn& ASource) : FSource(ASource) { FSource.AcquireDrive(); }
    ~DriveUse() { FSource.ReleaseDrive(); }
    DriveUse(const DriveUse&) = delete;
    DriveUse& operator=(const DriveUse&) = delete;
    DriveUse(DriveUse&&) = delete;
    DriveUse& operator=(DriveUse&&) = delete;

private:
    TCDIn& FSource;
};

TCDIn::TCDIn(TComponent* AOwner) : TAudioInput(AOwner) {
    LoadRipLibrary(platform::SettingsDirectory().value_or(std::string()));
    if (!RipLibraryLoaded()) {
        throw EAudioException("discread.dll could not be loaded.");
    }
}

void TCDIn::AcquireDrive() {
    if (FDriveUseCount == 0) {
        RipLibrary().DR_SetActiveCDROM(FCurrentDrive);
    }
    ++FDriveUseCount;
}

void TCDIn::ReleaseDrive() {
    if (FDriveUseCount > 0) {
        --FDriveUseCount;
    }
}

void TCDIn::SetCurrentDrive(std::int32_t Value) {
    const DriveUse use(*this);
    const std::int32_t drives = RipLibrary().DR_GetNumCDROM();
    if (Value >= 0 && Value < drives) {
        FCurrentDrive = Value;
    }
}

void TCDIn::SetStartTrack(std::int32_t Value) {
    if (Busy()) {
        throw EAudioException("The component is buisy");
    }
    FStartTrack = Value;
    FStartPosition = {Value, {}};
}

void TCDIn::SetEndTrack(std::int32_t Value) {
    if (Busy()) {
        throw EAudioException("The component is busy");
    }
    FEndTrack = Value;
    // The range ends where the next track begins; the largest number stays as
    // it is (OpenSource refuses it) instead of wrapping round.
    FEndPosition = {Value < std::numeric_limits<std::int32_t>::max() ? Value + 1 : Value, {}};
}

TDriveState TCDIn::DriveState() {
    std::int32_t status = 0;
    std::int32_t playing = 0;
    {
        const DriveUse use(*this);
        // The error code is not looked at: a drive that cannot tell counts as
        // holding a disc, and the table of contents decides later.
        RipLibrary().DR_IsMediaLoaded(&status);
        playing = RipLibrary().DR_IsAudioPlaying();
    }
    if (status != 0) {
        return TDriveState::dsNoDisc;
    }
    return playing != 0 ? TDriveState::dsPlayingAudio : TDriveState::dsReady;
}

TDiscContent TCDIn::DiscContent() {
    const DriveUse use(*this);
    const TRipEntryPoints& library = RipLibrary();
    std::int32_t status = 0;
    if (library.DR_IsMediaLoaded(&status) == 0 && status != 0) {
        return TDiscContent::dcNoDisc;
    }
    if (library.DR_ReadToc() != 0) {
        return TDiscContent::dcUnknown;
    }
    TDiscContent result = TDiscContent::dcUnknown;
    const std::int32_t tracks = library.DR_GetNumTocEntries();
    for (std::int32_t i = 0; i < tracks; ++i) {
        const bool audio = IsAudioFlag(ReadTocEntry(i).Flag);
        if (audio) {
            if (result == TDiscContent::dcData) {
                result = TDiscContent::dcMixed;
            } else if (result == TDiscContent::dcUnknown) {
                result = TDiscContent::dcAudio;
            }
        } else if (result == TDiscContent::dcAudio) {
            result = TDiscContent::dcMixed;
        } else if (result == TDiscContent::dcUnknown) {
            result = TDiscContent::dcData;
        }
    }
    return result;
}

std::int32_t TCDIn::TrackCount() {
    const DriveUse use(*this);
    const TRipEntryPoints& library = RipLibrary();
    return library.DR_ReadToc() == 0 ? library.DR_GetNumTocEntries() : -1;
}

TTrackSpan TCDIn::TrackSpan(std::int32_t Track) {
    if (Track < 1 || Track > TrackCount()) {
        throw EAudioException("Track out of range.");
    }
    const DriveUse use(*this);
    const TTocEntry first = ReadTocEntry(Track - 1);
    const TTocEntry next = ReadTocEntry(Track);
    TTrackSpan span;
    span.IsData = IsAudioFlag(first.Flag) ? 0 : 1;
    span.Length = SectorsToDiscTime(next.StartSector - first.StartSector);
    return span;
}

std::string TCDIn::TrackTitle(std::int32_t Track) {
    if (Track < 1 || Track > TrackCount()) {
        return {};
    }
    const DriveUse use(*this);
    return RipLibraryTrackText(Track - 1, TrackTextTitle);
}

std::int32_t TCDIn::DriveCount() {
    return RipLibrary().DR_GetNumCDROM();
}

std::string TCDIn::DriveName(std::int32_t Drive) {
    return RipLibraryDriveName(Drive);
}

std::string TCDIn::DriveModel(std::int32_t Drive) {
    return RipLibraryDriveModel(Drive);
}

std::pair<std::int32_t, std::int32_t> TCDIn::RangeSectors() {
    const std::int32_t first = ReadTocEntry(FStartPosition.Track - 1).StartSector +
                               DiscTimeToSectors(FStartPosition.Offset);
    const std::int32_t end =
        ReadTocEntry(FEndPosition.Track - 1).StartSector + DiscTimeToSectors(FEndPosition.Offset);
    return {first, end};
}

std::int64_t TCDIn::RangeBytes() {
    const DriveUse use(*this);
    if (const std::int32_t error = RipLibrary().DR_ReadToc(); error != 0) {
        throw EAudioException("The table of contents could not be read (error " +
                              std::to_string(error) + ")");
    }
    const auto [first, end] = RangeSectors();
    return (std::int64_t{end} - first) * CDSectorBytes;
}

std::int32_t TCDIn::ComputeRangeSize() {
    if (Busy()) {
        return FRangeSize;
    }
    const std::int64_t size = RangeBytes();
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        size, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

bool TCDIn::ReadsFile(const std::string& Path) {
    const TRipEntryPoints& library = RipLibrary();
    if (!library.DR_ReadsFile) {
        return false;
    }
    const DriveUse use(*this);
    std::int32_t reads = 0;
    return library.DR_ReadsFile(Path.c_str(), &reads) == 0 && reads != 0;
}

void TCDIn::OpenSource() {
    if (Busy()) {
        throw EAudioException("The component is busy");
    }
    if (DriveState() == TDriveState::dsNoDisc) {
        throw EAudioException("The drive is not ready");
    }
    const std::int32_t tracks = TrackCount();
    // An image that cannot be opened says why; that beats a track number.
    if (const std::string why = tracks < 0 ? RipLibraryErrorText() : std::string(); !why.empty()) {
        throw EAudioException(why);
    }
    if (FStartPosition.Track < 1 || FStartPosition.Track > tracks) {
        throw EAudioException("The start track out of range");
    }
    if (TrackSpan(FStartPosition.Track).IsData == 1) {
        throw EAudioException("Trying to rip a data track");
    }
    if (FEndPosition.Track < 1 || FEndPosition.Track > tracks + 1) {
        throw EAudioException("The end track out of range");
    }
    const std::int64_t size = RangeBytes();
    // An end before the start would hand the library a range that runs backwards.
    if (size < 0) {
        throw EAudioException("The end track out of range");
    }
    // A table that claims more than the byte count can hold is not a CD's.
    if (size > std::numeric_limits<std::int32_t>::max()) {
        throw EAudioException("The range is longer than a CD can hold");
    }
    FSize = static_cast<std::int32_t>(size);
    FBusy = true;
    FChunkStart = 1;
    FChunkEnd = 0;
    FPosition = 0;
    AcquireDrive();
    const auto [first, end] = RangeSectors();
    FRangeSize = static_cast<std::int32_t>(size);
    FNextSector = first;
    FChunkCapacity = ChunkBytes;
    FUnreadable.clear();
    RipLibrarySetSkipUnreadable(FSkipUnreadable);
    // An offset the library cannot correct must not pass for corrected audio.
    if (const auto& offset = RipLibrary().DR_SetReadOffset; offset || FReadOffset != 0) {
        if (!offset || offset(FReadOffset) != 0) {
            ReleaseDrive();
            FBusy = false;
            FSize = 0;
            throw EAudioException("The read offset of " + std::to_string(FReadOffset) +
                                  " samples cannot be corrected" + Reason());
        }
    }
    if (const auto& overread = RipLibrary().DR_SetOverread; overread || FOverread) {
        if (!overread || overread(FOverread ? 1 : 0) != 0) {
            ReleaseDrive();
            FBusy = false;
            FSize = 0;
            throw EAudioException("The disc cannot be read past its ends" + Reason());
        }
    }
    if (const std::int32_t error = RipLibrary().DR_OpenRipper(&FChunkCapacity, first, end);
        error != 0) {
        ReleaseDrive();
        FBusy = false;
        FSize = 0;
        throw EAudioException("The disc could not be read at sector " + std::to_string(first) +
                              " (error " + std::to_string(error) + ")" + Reason());
    }
}

std::int32_t TCDIn::ReadBlock(std::span<std::byte> Buffer) {
    if (!Busy()) {
        throw EAudioException("The Stream is not opened");
    }
    if (FChunkStart > FChunkEnd) {
        FChunkStart = 1;
        std::int32_t abort = 0;
        const std::int32_t error = RipLibrary().DR_RipChunk(
            reinterpret_cast<std::uint8_t*>(FChunkBuffer.data()), &FChunkEnd, &abort);
        if (error != 0) {
            // A track cut short must never pass for a finished one.
            FChunkEnd = 0;
            throw EAudioException("The disc could not be read at sector " +
                                  std::to_string(FNextSector) + " (error " + std::to_string(error) +
                                  ")" + Reason());
        }
        FChunkEnd = std::clamp<std::int32_t>(FChunkEnd, 0, ChunkBytes);
        FNextSector += FChunkEnd / CDSectorBytes;
        if (FSkipUnreadable) {
            if (auto sectors = RipLibraryUnreadable(FUnreadable.size()); !sectors.empty()) {
                FUnreadable = std::move(sectors);
            }
        }
    }
    const std::int32_t available = FChunkEnd - FChunkStart + 1;
    const auto count = std::min(static_cast<std::int32_t>(Buffer.size()), available);
    if (count <= 0) {
        return 0;
    }
    std::memcpy(Buffer.data(), FChunkBuffer.data() + (FChunkStart - 1),
                static_cast<std::size_t>(count));
    FChunkStart += count;
    FPosition += count;
    return count;
}

void TCDIn::CloseSource() {
    RipLibrary().DR_CloseRipper();
    ReleaseDrive();
    FBusy = false;
    FSize = 0;
}

} // namespace kestrune
