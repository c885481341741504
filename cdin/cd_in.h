#pragma once

#include "cdin/disc_types.h"
#include "pipeline/audio_input.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrune {

// The source that delivers the digital audio of a range of whole tracks of a CD
// as 16-bit stereo PCM at 44100 Hz, read a second (75 sectors) at a time through
// the disc reading library. It also tells the main window whether a disc is in
// the drive and whether it holds audio only.
//
// Everything but ReadBlock and CloseSource runs on the main thread; ReadBlock
// runs on the sink's worker, and the main window does not query the drive while
// a rip runs.
class TCDIn : public TAudioInput {
public:
    // One second of audio.
    static constexpr std::int32_t ChunkBytes = CDBytesPerSecond;

    // Loads the reading library; raises "discread.dll could not be loaded."
    explicit TCDIn(TComponent* AOwner = nullptr);

    std::int32_t CurrentDrive() const { return FCurrentDrive; }
    // Ignored unless the library has a drive of that index.
    void SetCurrentDrive(std::int32_t Value);
    std::int32_t StartTrack() const { return FStartTrack; }
    void SetStartTrack(std::int32_t Value);
    std::int32_t EndTrack() const { return FEndTrack; }
    void SetEndTrack(std::int32_t Value);

    int GetBitsPerSample() override { return CDBitsPerSample; }
    int GetChannels() override { return CDChannels; }
    int GetSampleRate() override { return CDSampleRate; }
    std::int32_t ReadBlock(std::span<std::byte> Buffer) override;
    void OpenSource() override;
    void CloseSource() override;
    bool ReadsFile(const std::string& Path) override;

    [[nodiscard]] TDriveState DriveState();
    [[nodiscard]] TDiscContent DiscContent();
    // The number of tracks; -1 when the table of contents cannot be read.
    [[nodiscard]] std::int32_t TrackCount();
    [[nodiscard]] TTrackSpan TrackSpan(std::int32_t Track);
    // The CD-Text title of the track at position Track (1 .. TrackCount), as
    // read with the table of contents; empty when the disc has none.
    [[nodiscard]] std::string TrackTitle(std::int32_t Track);

    // The library's drives: how many, and the path of each (a device node or
    // a disc image; empty when the library cannot tell).
    [[nodiscard]] std::int32_t DriveCount();
    [[nodiscard]] std::string DriveName(std::int32_t Drive);
    // The vendor, model and revision the drive reports; empty for an image.
    [[nodiscard]] std::string DriveModel(std::int32_t Drive);

    std::int32_t DriveUseCount() const { return FDriveUseCount.load(); }

    // Whether a sector the drive cannot read, even after the retries, is given
    // as silence and noted instead of failing the rip; off by default, and
    // for the rips opened after. A library that cannot tells the rip fail.
    void SetSkipUnreadable(bool Value) { FSkipUnreadable = Value; }
    // The drive's read offset in samples the rips opened after correct
    // (sample k of the audio is the drive's sample k + Value); 0 by default.
    void SetReadOffset(std::int32_t Value) { FReadOffset = Value; }
    // Whether what the offset moves in from outside the disc is read from the
    // drive's lead-in and lead-out where it can (else silence); for the
    // readings opened after.
    void SetOverread(bool Value) { FOverread = Value; }
    // The sectors given as silence since the source was opened, in the order
    // they were read; on the thread that reads (ReadBlock's).
    [[nodiscard]] const std::vector<std::int32_t>& UnreadableSectors() const { return FUnreadable; }

private:
    // Brackets the library calls of one operation.
    class DriveUse;

    void AcquireDrive();
    void ReleaseDrive();
    std::int32_t ComputeRangeSize();
    // The byte count of the range, wide enough for any table the library gives.
    std::int64_t RangeBytes();
    // The first sector of the range and the first one after it.
    std::pair<std::int32_t, std::int32_t> RangeSectors();

    std::atomic<std::int32_t> FDriveUseCount{0};
    std::int32_t FCurrentDrive = 0;
    std::int32_t FStartTrack = 0;
    std::int32_t FEndTrack = 0;
    TDiscPosition FStartPosition;
    TDiscPosition FEndPosition;
    std::int32_t FRangeSize = 0;
    std::array<std::byte, ChunkBytes> FChunkBuffer{};
    std::int32_t FChunkCapacity = 0;
    // The sector the next chunk starts at, to name it when a read fails.
    std::int32_t FNextSector = 0;
    bool FSkipUnreadable = false;
    std::int32_t FReadOffset = 0;
    bool FOverread = false;
    std::vector<std::int32_t> FUnreadable;
};

} // namespace kestrune
