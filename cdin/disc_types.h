#pragma once

#include "cdin/cd_format.h"

#include <cstdint>

namespace kestrune {

// A time on the disc; 75 frames make a second, one frame is one sector.
struct TDiscTime {
    std::uint8_t Minutes = 0;
    std::uint8_t Seconds = 0;
    std::uint8_t Frames = 0;
};

// A point on the disc: a track and a time inside it.
struct TDiscPosition {
    std::int32_t Track = 0;
    TDiscTime Offset;
};

struct TTrackSpan {
    TDiscTime Length;
    std::uint8_t IsData = 0; // 1: the track is not audio
};

enum class TDriveState { dsNoDisc = 0, dsReady = 1, dsPlayingAudio = 2 };

enum class TDiscContent {
    dcNoDisc = 0,
    dcAudio = 1,   // audio tracks only
    dcData = 2,    // data tracks only
    dcMixed = 3,   // both
    dcUnknown = 4, // the table of contents could not be read or has no tracks
};

TDiscTime SectorsToDiscTime(std::int32_t Sectors);
std::int32_t DiscTimeToSectors(const TDiscTime& Time);

// A track holds audio when the data bit of the CONTROL nibble is clear; the
// copy-permitted, pre-emphasis and four-channel bits do not make it data.
constexpr bool IsAudioFlag(std::uint8_t Flag) {
    return (Flag & 0x04) == 0;
}

} // namespace kestrune
