#pragma once

// What a disc image holds: its tracks, how each is made, and the layout of
// the files it is written in: a cue sheet with one BINARY file (NAME.cue +
// NAME.bin) or one file per track (BINARY, MOTOROLA or WAVE), a cdrdao .toc
// sheet over a raw file with a byte offset, big-endian or marked SWAP, or a
// Nero image. Audio is 16-bit stereo at 44100 Hz, 2352 bytes a sector.

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
    // Silence before the track that belongs to the disc and is stored in its
    // data (INDEX 00, or START in a .toc); not for track 1.
    std::int32_t PregapSectors = 0;
    // Silence before the track that no file holds (PREGAP); not for track 1.
    std::int32_t GapSectors = 0;
    std::string Title; // CD-Text
    std::string Isrc;
};

enum class FileType { Binary, Motorola, Wave };
enum class SheetKind { Cue, Toc, Nrg };

struct DiscSpec {
    std::vector<TrackSpec> Tracks;
    // Leaves this many sectors off the end of the .bin, which the cue still
    // claims: a disc whose last sectors cannot be read.
    std::int32_t MissingSectors = 0;
    SheetKind Sheet = SheetKind::Cue;
    // Cue: one file per track, NAME-NN.bin (or .wav) with NN the track's number.
    bool FilePerTrack = false;
    FileType Type = FileType::Binary; // of the audio files of a cue sheet
    int FirstTrack = 1;
    std::string Title, Performer, Catalog;
    // Toc: bytes that come before the audio in the raw file (a header), and
    // whether the samples are stored little-endian and marked SWAP instead
    // of the big-endian that cdrdao's raw files hold.
    std::int64_t TocOffsetBytes = 0;
    bool TocSwap = false;
    // Nrg: the chunk format, 1 (NERO footer, DAOI, CUES) or 2 (NER5, DAOX, CUEX).
    int NrgVersion = 2;
};

} // namespace kestrune::mkdisc
