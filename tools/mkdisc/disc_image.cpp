#include "tools/mkdisc/disc_image.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace kestrune::mkdisc {

namespace {

[[noreturn]] void Refuse(std::string_view Text, const std::string& Why) {
    throw std::invalid_argument("track '" + std::string(Text) + "': " + Why);
}

double ParseNumber(std::string_view Text, std::string_view Whole) {
    double value = 0;
    const auto [end, error] = std::from_chars(Text.data(), Text.data() + Text.size(), value);
    if (error != std::errc() || end != Text.data() + Text.size()) {
        Refuse(Whole, "'" + std::string(Text) + "' is not a number");
    }
    return value;
}

std::int32_t ParseLength(std::string_view Text, std::string_view Whole) {
    if (!Text.empty() && Text.back() == 'f') {
        const double sectors = ParseNumber(Text.substr(0, Text.size() - 1), Whole);
        if (sectors < 0 || sectors != std::floor(sectors)) {
            Refuse(Whole, "a length in sectors is a whole number");
        }
        return static_cast<std::int32_t>(sectors);
    }
    const double seconds = ParseNumber(Text, Whole);
    if (seconds < 0) {
        Refuse(Whole, "a length cannot be negative");
    }
    return static_cast<std::int32_t>(std::lround(seconds * SectorsPerSecond));
}

std::vector<std::string_view> Split(std::string_view Text, char Separator) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    for (;;) {
        const auto at = Text.find(Separator, from);
        parts.push_back(Text.substr(from, at - from));
        if (at == std::string_view::npos) {
            return parts;
        }
        from = at + 1;
    }
}

// "NAME=VALUE@LEVEL" or "NAME"; fills the signal fields of Track.
void ParseSignal(std::string_view Text, std::string_view Whole, TrackSpec& Track) {
    const auto equals = Text.find('=');
    const auto name = Text.substr(0, equals);
    std::string_view value;
    if (equals != std::string_view::npos) {
        value = Text.substr(equals + 1);
        const auto at = value.find('@');
        if (at != std::string_view::npos) {
            Track.LevelDb = ParseNumber(value.substr(at + 1), Whole);
            value = value.substr(0, at);
        }
    }
    if (name == "silence") {
        Track.Kind = Signal::Silence;
    } else if (name == "sine" || name == "chord") {
        Track.Kind = name == "sine" ? Signal::Sine : Signal::Chord;
        if (!value.empty()) {
            Track.Frequency = ParseNumber(value, Whole);
        }
        if (Track.Frequency <= 0 || Track.Frequency >= SampleRate / 2.0) {
            Refuse(Whole, "the frequency must lie between 0 and 22050 Hz");
        }
    } else if (name == "noise" || name == "melody") {
        Track.Kind = name == "noise" ? Signal::Noise : Signal::Melody;
        if (!value.empty()) {
            Track.Seed = static_cast<std::uint32_t>(ParseNumber(value, Whole));
        }
    } else {
        Refuse(Whole, "unknown signal '" + std::string(name) + "'");
    }
    if (Track.LevelDb > 0) {
        Refuse(Whole, "the level is at most 0 dB");
    }
}

std::int16_t ToSample(double Value) {
    return static_cast<std::int16_t>(std::clamp(std::lround(Value), -32768L, 32767L));
}

// xorshift32: the same noise on every machine.
class Noise {
public:
    explicit Noise(std::uint32_t Seed) : FState(Seed == 0 ? 0x9E3779B9u : Seed) {}
    double Next() {
        FState ^= FState << 13;
        FState ^= FState >> 17;
        FState ^= FState << 5;
        return static_cast<double>(FState) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t FState;
};

double FadeGain(std::size_t Frame, std::size_t Frames) {
    constexpr double fade = SampleRate * 0.05;
    const double fromEdge = static_cast<double>(std::min(Frame, Frames - 1 - Frame));
    return std::min(1.0, fromEdge / fade);
}

void RenderMelody(const TrackSpec& Track, double Amplitude, std::vector<std::int16_t>& Pcm) {
    // A major pentatonic scale on C4 and a pad on C major; the seed picks the notes.
    constexpr std::array<double, 6> scale{261.63, 293.66, 329.63, 392.00, 440.00, 523.25};
    constexpr std::array<double, 3> pad{130.81, 164.81, 196.00};
    constexpr double noteSeconds = 0.4;
    const std::size_t frames = Pcm.size() / 2;
    Noise picker(Track.Seed);
    std::vector<double> notes(static_cast<std::size_t>(frames / (noteSeconds * SampleRate)) + 1);
    for (auto& note : notes) {
        note = scale[static_cast<std::size_t>((picker.Next() + 1.0) * 2.999)];
    }
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const double t = static_cast<double>(frame) / SampleRate;
        const auto index = static_cast<std::size_t>(t / noteSeconds);
        const double inNote = t - static_cast<double>(index) * noteSeconds;
        const double lead =
            std::sin(2 * std::numbers::pi * notes[index] * t) * std::exp(-inNote * 5.0) * 0.6;
        double chord = 0;
        for (const double f : pad) {
            chord += std::sin(2 * std::numbers::pi * f * t) * 0.12;
        }
        const double gain = Amplitude * FadeGain(frame, frames);
        Pcm[2 * frame] = ToSample((lead * 0.8 + chord) * gain);
        Pcm[2 * frame + 1] = ToSample((lead * 0.6 + chord * 1.1) * gain);
    }
}

std::array<std::uint8_t, 3> BcdAddress(std::int64_t Lsn) {
    const std::int64_t lba = Lsn + 150;
    const auto bcd = [](std::int64_t v) { return static_cast<std::uint8_t>(v / 10 * 16 + v % 10); };
    return {bcd(lba / SectorsPerSecond / 60), bcd(lba / SectorsPerSecond % 60),
            bcd(lba % SectorsPerSecond)};
}

std::string CueTime(std::int64_t Sectors) {
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(Sectors / SectorsPerSecond / 60),
                  static_cast<long long>(Sectors / SectorsPerSecond % 60),
                  static_cast<long long>(Sectors % SectorsPerSecond));
    return text;
}

void WriteDataSectors(std::ofstream& Bin, std::int64_t FirstLsn, std::int32_t Count) {
    std::array<char, SectorBytes> sector{};
    for (std::int32_t i = 0; i < Count; ++i) {
        sector.fill(0);
        std::memset(sector.data() + 1, 0xFF, 10);
        const auto address = BcdAddress(FirstLsn + i);
        std::memcpy(sector.data() + 12, address.data(), address.size());
        sector[15] = 1;
        for (int b = 0; b < 2048; ++b) {
            sector[static_cast<std::size_t>(16 + b)] = static_cast<char>((i + b) & 0xFF);
        }
        Bin.write(sector.data(), sector.size());
    }
}

void WriteSamples(std::ofstream& Bin, const std::vector<std::int16_t>& Pcm) {
    std::vector<char> bytes(Pcm.size() * 2);
    for (std::size_t i = 0; i < Pcm.size(); ++i) {
        const auto sample = static_cast<std::uint16_t>(Pcm[i]);
        bytes[2 * i] = static_cast<char>(sample & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(sample >> 8);
    }
    Bin.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

TrackSpec ParseTrack(std::string_view Text) {
    const auto options = Split(Text, ',');
    const auto fields = Split(options.front(), ':');
    if (fields.size() < 2 || fields.size() > 3) {
        Refuse(Text, "expected KIND:LENGTH[:SIGNAL]");
    }
    TrackSpec track;
    if (fields[0] == "data") {
        track.Data = true;
    } else if (fields[0] != "audio") {
        Refuse(Text, "the kind is 'audio' or 'data'");
    }
    track.Sectors = ParseLength(fields[1], Text);
    if (track.Sectors < 1) {
        Refuse(Text, "a track holds at least one sector");
    }
    if (fields.size() == 3) {
        if (track.Data) {
            Refuse(Text, "a data track has no signal");
        }
        ParseSignal(fields[2], Text, track);
    }
    for (std::size_t i = 1; i < options.size(); ++i) {
        const auto option = options[i];
        if (option == "dcp") {
            track.CopyPermitted = true;
        } else if (option == "pre") {
            track.PreEmphasis = true;
        } else if (option.starts_with("pregap=")) {
            track.PregapSectors = ParseLength(option.substr(7), Text);
        } else {
            Refuse(Text, "unknown option '" + std::string(option) + "'");
        }
    }
    return track;
}

std::vector<std::int16_t> RenderAudio(const TrackSpec& Track) {
    const auto frames = static_cast<std::size_t>(Track.Sectors) * FramesPerSector;
    std::vector<std::int16_t> pcm(frames * 2, 0);
    const double amplitude = 32767.0 * std::pow(10.0, Track.LevelDb / 20.0);
    const double step = 2 * std::numbers::pi * Track.Frequency / SampleRate;
    switch (Track.Kind) {
    case Signal::Silence:
        break;
    case Signal::Sine:
        for (std::size_t frame = 0; frame < frames; ++frame) {
            const double phase = step * static_cast<double>(frame);
            pcm[2 * frame] = ToSample(amplitude * std::sin(phase));
            pcm[2 * frame + 1] = ToSample(amplitude * std::sin(phase - std::numbers::pi / 2));
        }
        break;
    case Signal::Noise: {
        Noise noise(Track.Seed);
        for (auto& sample : pcm) {
            sample = ToSample(amplitude * noise.Next());
        }
        break;
    }
    case Signal::Chord:
        for (std::size_t frame = 0; frame < frames; ++frame) {
            const double phase = step * static_cast<double>(frame);
            const double value =
                (std::sin(phase) + std::sin(phase * 1.25) + std::sin(phase * 1.5)) / 3.0;
            const double sample = amplitude * FadeGain(frame, frames) * value;
            pcm[2 * frame] = ToSample(sample);
            pcm[2 * frame + 1] = ToSample(sample);
        }
        break;
    case Signal::Melody:
        RenderMelody(Track, amplitude, pcm);
        break;
    }
    return pcm;
}

void WriteDisc(const std::string& Base, const DiscSpec& Disc) {
    if (Disc.Tracks.empty()) {
        throw std::runtime_error("a disc needs at least one track");
    }
    if (Disc.Tracks.size() > 99) {
        throw std::runtime_error("a disc holds at most 99 tracks");
    }
    const std::string binPath = Base + ".bin";
    const std::string cuePath = Base + ".cue";
    std::ofstream bin(binPath, std::ios::binary | std::ios::trunc);
    std::ofstream cue(cuePath, std::ios::trunc);
    if (!bin || !cue) {
        throw std::runtime_error("cannot create " + Base + ".cue/.bin: " + std::strerror(errno));
    }
    cue << "FILE \"" << std::filesystem::path(binPath).filename().string() << "\" BINARY\n";
    std::int64_t lsn = 0;
    for (std::size_t i = 0; i < Disc.Tracks.size(); ++i) {
        const TrackSpec& track = Disc.Tracks[i];
        char number[24];
        std::snprintf(number, sizeof number, "%02zu", i + 1);
        cue << "  TRACK " << number << (track.Data ? " MODE1/2352\n" : " AUDIO\n");
        if (track.CopyPermitted || track.PreEmphasis) {
            cue << "    FLAGS" << (track.CopyPermitted ? " DCP" : "")
                << (track.PreEmphasis ? " PRE" : "") << "\n";
        }
        if (track.PregapSectors > 0 && i > 0) {
            cue << "    INDEX 00 " << CueTime(lsn) << "\n";
            const std::vector<std::int16_t> gap(
                static_cast<std::size_t>(track.PregapSectors) * FramesPerSector * 2, 0);
            WriteSamples(bin, gap);
            lsn += track.PregapSectors;
        }
        cue << "    INDEX 01 " << CueTime(lsn) << "\n";
        if (track.Data) {
            WriteDataSectors(bin, lsn, track.Sectors);
        } else {
            WriteSamples(bin, RenderAudio(track));
        }
        lsn += track.Sectors;
    }
    bin.close();
    cue.close();
    if (!bin || !cue) {
        throw std::runtime_error("cannot write " + Base + ".cue/.bin");
    }
    if (Disc.MissingSectors > 0) {
        const auto keep = std::max<std::int64_t>(0, lsn - Disc.MissingSectors) * SectorBytes;
        std::filesystem::resize_file(binPath, static_cast<std::uintmax_t>(keep));
    }
}

} // namespace kestrune::mkdisc
