// The loudness kestrune-rip measures itself agrees with libebur128's, a
// meter written apart, on signals that exercise each part: the filter's two
// stages (a low tone the high pass takes away, a high one the shelf raises),
// both gates (silence and a quiet passage among loud ones) and the pooling of
// an album's blocks.

#include "tools/kestrune-rip/gated_loudness.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace kestrune::rip {
namespace {

struct FreeState {
    void operator()(ebur128_state* State) const { ebur128_destroy(&State); }
};
using State = std::unique_ptr<ebur128_state, FreeState>;

// Seconds of a tone of Hz at Level (of full scale) in both channels; 0 Hz: noise.
std::vector<short> Tone(double Seconds, double Hz, double Level, unsigned Seed = 1) {
    std::mt19937 random(Seed);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const auto frames = static_cast<std::size_t>(Seconds * 44100);
    std::vector<short> samples;
    for (std::size_t i = 0; i < frames; ++i) {
        const double value =
            Hz > 0 ? std::sin(2 * std::numbers::pi * Hz * static_cast<double>(i) / 44100)
                   : noise(random);
        samples.push_back(static_cast<short>(std::lround(value * Level * 32767)));
        samples.push_back(static_cast<short>(std::lround(value * Level * 32767 * 0.8)));
    }
    return samples;
}

std::vector<short> Joined(std::initializer_list<std::vector<short>> Parts) {
    std::vector<short> all;
    for (const auto& part : Parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

double Reference(const std::vector<const std::vector<short>*>& Tracks) {
    std::vector<State> states;
    std::vector<ebur128_state*> raw;
    for (const auto* track : Tracks) {
        states.emplace_back(ebur128_init(2, 44100, EBUR128_MODE_I));
        ebur128_add_frames_short(states.back().get(), track->data(), track->size() / 2);
        raw.push_back(states.back().get());
    }
    double lufs = 0;
    ebur128_loudness_global_multiple(raw.data(), raw.size(), &lufs);
    return lufs;
}

std::optional<double> Ours(const std::vector<const std::vector<short>*>& Tracks,
                           std::size_t Piece = 1001) {
    std::vector<GatedLoudness> meters(Tracks.size());
    std::vector<const GatedLoudness*> measured;
    for (std::size_t t = 0; t < Tracks.size(); ++t) {
        const std::vector<short>& samples = *Tracks[t];
        // Fed in pieces that do not fall on the 100 ms steps.
        for (std::size_t at = 0; at < samples.size(); at += 2 * Piece) {
            meters[t].Add(std::span(samples).subspan(at, std::min(2 * Piece, samples.size() - at)));
        }
        measured.push_back(&meters[t]);
    }
    return GatedLoudness::Lufs(measured);
}

TEST(GatedLoudness, AgreesWithAMeterWrittenApart) {
    const std::vector<std::vector<short>> signals{
        Tone(3, 1000, 0.5), Tone(3, 40, 0.5), Tone(3, 8000, 0.3), Tone(5, 0, 0.25),
        // Loud, then quiet enough for the relative gate, then silence for the absolute one.
        Joined({Tone(2, 1000, 0.7), Tone(2, 1000, 0.01), Tone(2, 0, 0.0)})};
    for (const auto& signal : signals) {
        const std::optional<double> ours = Ours({&signal});
        ASSERT_TRUE(ours.has_value());
        EXPECT_NEAR(*ours, Reference({&signal}), 0.01);
    }
    // An album's blocks are gated together, not its tracks' figures averaged.
    EXPECT_NEAR(*Ours({&signals[0], &signals[3], &signals[4]}),
                Reference({&signals[0], &signals[3], &signals[4]}), 0.01);
}

TEST(GatedLoudness, SilenceOrLessThanABlockHasNoLoudness) {
    const std::vector<short> silence = Tone(2, 0, 0.0);
    const std::vector<short> short_tone = Tone(0.3, 1000, 0.5);
    EXPECT_FALSE(Ours({&silence}).has_value());
    EXPECT_FALSE(Ours({&short_tone}).has_value());
    EXPECT_FALSE(GatedLoudness::Lufs({}).has_value());
}

} // namespace
} // namespace kestrune::rip
