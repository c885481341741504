#pragma once

// Writes disc images for tests and for the demo: NAME.cue with NAME.bin beside
// it, raw 2352-byte sectors, audio as 16-bit little-endian stereo at 44100 Hz.

#include "cdin/cd_format.h"

#include <cstdint>
#include <string>
#include <string_view>
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

// Parses KIND:LENGTH[:SIGNAL][,OPTION...], for example "audio:3:sine=440@-6,dcp",
// "audio:150f:silence,pregap=2", "data:2". LENGTH is seconds, or sectors with a
// trailing 'f'. Throws std::invalid_argument with a readable message.
TrackSpec ParseTrack(std::string_view Text);

// The PCM of one audio track as stored on the disc (interleaved left, right).
std::vector<std::int16_t> RenderAudio(const TrackSpec& Track);

// Writes Base + ".cue" and Base + ".bin". Throws std::runtime_error on failure.
void WriteDisc(const std::string& Base, const DiscSpec& Disc);

} // namespace kestrune::mkdisc
