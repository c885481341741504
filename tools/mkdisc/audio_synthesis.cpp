#include "tools/mkdisc/audio_synthesis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kestrune::mkdisc {

namespace {

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
    std::vector<double> notes(
        static_cast<std::size_t>(static_cast<double>(frames) / (noteSeconds * SampleRate)) + 1);
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

} // namespace

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

} // namespace kestrune::mkdisc
