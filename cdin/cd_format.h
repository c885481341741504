#pragma once

// The shape of CD audio, for everything that reads, writes or measures it.

#include <cstdint>

namespace kestrune {

constexpr std::int32_t CDSectorBytes = 2352;    // audio bytes in one sector
constexpr std::int32_t CDSectorFrames = 588;    // stereo sample frames in one sector
constexpr std::int32_t CDSectorsPerSecond = 75; // sectors (frames of the disc time) a second
constexpr std::int32_t CDBytesPerSecond = 176400;
constexpr std::int32_t CDSampleRate = 44100;
constexpr std::int32_t CDChannels = 2;
constexpr std::int32_t CDBitsPerSample = 16;

static_assert(CDSectorFrames * CDChannels * CDBitsPerSample / 8 == CDSectorBytes);
static_assert(CDSectorsPerSecond * CDSectorBytes == CDBytesPerSecond);
static_assert(CDSectorsPerSecond * CDSectorFrames == CDSampleRate);

} // namespace kestrune
