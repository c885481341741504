#pragma once

// What a disc image holds: its tracks and how each is made. Images are written
// as NAME.cue with NAME.bin beside it, raw 2352-byte sectors, audio as 16-bit
// little-endian stereo at 44100 Hz.

#include "cdin/cd_format.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::mkdisc {

constexpr int SectorBytes = CDSectorBytes;
constexpr int SectorsPerSecond = CDSectorsPerSecond;
constexpr int FramesPerSector = CDSectorFrames;
constexpr int SampleRate = CDSampleRate;

enum class Signal {
    Sine,    // Frequency at Level; the right channel a quarter period behind the left
    Silence, // digital zero
    Noise,   // deterministic white noise from Seed at Level
    Chord,   // a major triad on Frequency at Level, faded in and out
    Melody,  // a slow pentatonic tune over a soft chord; Seed picks the tune
};

struct TrackSpec {
    bool Data = false; // MODE1/2352 instead of audio
    std::int32_t Sectors = 0;
    Signal Kind = Signal::Sine;
    double Frequency = 440.0;
    double LevelDb = -6.0;
    std::uint32_t Seed = 1;
    bool CopyPermitted = false; // FLAGS DCP
    bool PreEmphasis = false;   // FLAGS PRE
    // Silence before the track that belongs to the disc (INDEX 00); not for track 1.
    std::int32_t PregapSectors = 0;
};

struct DiscSpec {
    std::vector<TrackSpec> Tracks;
    // Leaves this many sectors off the end of the .bin, which the cue still
    // claims: a disc whose last sectors cannot be read.
    std::int32_t MissingSectors = 0;
};

} // namespace kestrune::mkdisc
