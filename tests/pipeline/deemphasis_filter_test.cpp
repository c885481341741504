// The de-emphasis filter against the analog 50/15 µs curve it stands for.

#include "pipeline/deemphasis_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace kestrune::test {
namespace {

constexpr double Rate = 44100;

// The analog shelf, |(1 + jωτ2) / (1 + jωτ1)| in dB.
double AnalogDb(double Frequency) {
    const std::complex<double> s(0, 2 * std::numbers::pi * Frequency);
    return 20 * std::log10(std::abs((1.0 + s * 15e-6) / (1.0 + s * 50e-6)));
}

std::vector<std::byte> Sine(double Frequency, double Amplitude, std::size_t Frames) {
    std::vector<std::byte> bytes(Frames * 4);
    for (std::size_t i = 0; i < Frames; ++i) {
        const double phase = 2 * std::numbers::pi * Frequency * static_cast<double>(i) / Rate;
        for (int channel = 0; channel < 2; ++channel) {
            const auto sample = static_cast<std::uint16_t>(static_cast<std::int16_t>(
                std::lround(Amplitude * std::sin(phase + channel * std::numbers::pi / 3))));
            bytes[4 * i + 2 * channel] = static_cast<std::byte>(sample & 0xFF);
            bytes[4 * i + 2 * channel + 1] = static_cast<std::byte>(sample >> 8);
        }
    }
    return bytes;
}

std::int16_t SampleAt(const std::vector<std::byte>& Bytes, std::size_t Index) {
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(static_cast<unsigned>(Bytes[2 * Index]) |
                                   static_cast<unsigned>(Bytes[2 * Index + 1]) << 8));
}

// The RMS of one channel after the filter has settled.
double Rms(const std::vector<std::byte>& Bytes, int Channel) {
    const std::size_t frames = Bytes.size() / 4;
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t frame = 4410; frame < frames; ++frame, ++count) {
        const double value = SampleAt(Bytes, 2 * frame + static_cast<std::size_t>(Channel));
        sum += value * value;
    }
    return std::sqrt(sum / static_cast<double>(count));
}

TEST(DeemphasisFilter, FollowsTheAnalogCurveAt1And5And16Kilohertz) {
    for (const double frequency : {1000.0, 5000.0, 16000.0}) {
        const auto source = Sine(frequency, 12000, 44100);
        auto filtered = source;
        DeemphasisFilter filter;
        // In blocks as a sink asks for them.
        for (std::size_t at = 0; at < filtered.size(); at += 16384) {
            const auto block =
                std::span(filtered).subspan(at, std::min<std::size_t>(16384, filtered.size() - at));
            ASSERT_EQ(filter.Process(block), block.size());
        }
        for (int channel = 0; channel < 2; ++channel) {
            const double gainDb = 20 * std::log10(Rms(filtered, channel) / Rms(source, channel));
            EXPECT_NEAR(gainDb, AnalogDb(frequency), 0.3)
                << frequency << " Hz, channel " << channel;
        }
    }
    // The curve itself: about -0.37, -4.5 and -9.0 dB.
    EXPECT_NEAR(AnalogDb(16000), -9.04, 0.01);
}

TEST(DeemphasisFilter, BlocksThatEndInsideASampleGiveTheSameStream) {
    const auto source = Sine(3000, 20000, 2000);
    auto whole = source;
    DeemphasisFilter once;
    ASSERT_EQ(once.Process(whole), whole.size());

    // Odd pieces: the byte left over waits for the next piece.
    std::vector<std::byte> pieces;
    std::vector<std::byte> pending;
    DeemphasisFilter split;
    for (std::size_t at = 0; at < source.size(); at += 333) {
        pending.insert(pending.end(), source.begin() + static_cast<std::ptrdiff_t>(at),
                       source.begin() +
                           static_cast<std::ptrdiff_t>(std::min(at + 333, source.size())));
        const std::size_t done = split.Process(pending);
        pieces.insert(pieces.end(), pending.begin(),
                      pending.begin() + static_cast<std::ptrdiff_t>(done));
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(done));
    }
    EXPECT_TRUE(pending.empty());
    EXPECT_TRUE(pieces == whole);
}

TEST(DeemphasisFilter, FullScaleLevelsSettleWithoutWrappingRound) {
    // Long stretches at the two extremes: a gain of 1 at DC holds them, where
    // an overflow would wrap round to the other sign.
    constexpr std::size_t half = 2000;
    std::vector<std::byte> square(4 * 4 * half);
    for (std::size_t i = 0; i < square.size() / 2; ++i) {
        const auto sample = static_cast<std::uint16_t>((i / (2 * half)) % 2 == 0 ? 32767 : -32768);
        square[2 * i] = static_cast<std::byte>(sample & 0xFF);
        square[2 * i + 1] = static_cast<std::byte>(sample >> 8);
    }
    const auto source = square;
    DeemphasisFilter filter;
    filter.Process(square);
    std::size_t off = 0;
    for (std::size_t i = 0; i < square.size() / 2; ++i) {
        const bool settled = (i / 2) % half >= 100;
        off += settled && std::abs(SampleAt(square, i) - SampleAt(source, i)) > 2 ? 1 : 0;
    }
    EXPECT_EQ(off, 0u);
}

} // namespace
} // namespace kestrune::test
