#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::test {

// An MP3 file decoded back with libmpg123 (gapless: the encoder's delay and
// padding are taken off as its Info frame says), and what its frames hold.
struct DecodedMp3 {
    int Rate = 0;
    int Channels = 0;
    std::vector<std::int16_t> Samples; // interleaved
    std::int64_t AudioFrames = 0;      // MP3 frames that carry audio
    std::size_t Frames() const { return Channels == 0 ? 0 : Samples.size() / Channels; }
};

// Raises std::runtime_error when the file cannot be decoded.
DecodedMp3 DecodeMp3(const std::string& Path);

// The frame count of the Info/Xing frame at the head of the file, if there is one.
std::optional<std::uint32_t> InfoFrameCount(const std::string& Path);

// What the header of an MP3 frame says (Layer III).
struct Mp3FrameHeader {
    int BitRateKbps = 0;
    int SampleRate = 0;
    int Mode = 0; // 0 stereo, 1 joint stereo, 2 dual channel, 3 mono
    bool Copyright = false;
    bool Original = false;
    bool Protected = false; // followed by a CRC
};
// The header of the second frame of the file (the first that carries audio,
// after the encoder's Info frame); nothing when the file has no such frames.
std::optional<Mp3FrameHeader> SecondFrameHeader(const std::string& Path);

// The ID3 version 1 tag at the end of the file, field by field, blanks and
// zeros trimmed; nothing when the file does not end with one.
struct Id3v1 {
    std::string Title, Artist, Album, Year, Comment;
    int Track = 0;
    int Genre = 0;
};
std::optional<Id3v1> ReadId3v1(const std::string& Path);

// Signal-to-noise ratio in dB of Decoded against Source (both interleaved at the
// same rate), after the best alignment within MaxShift frames.
double SignalToNoise(const std::vector<std::int16_t>& Source,
                     const std::vector<std::int16_t>& Decoded, int Channels, int MaxShift);

// Frequency of one channel from its zero crossings, and its RMS level in dBFS.
double ToneFrequency(const std::vector<std::int16_t>& Samples, int Channels, int Channel, int Rate);
double LevelDb(const std::vector<std::int16_t>& Samples, int Channels, int Channel);

} // namespace kestrune::test
