#include "tools/kestrune-rip/gated_loudness.h"

#include <cmath>
#include <numbers>

namespace kestrune::rip {

namespace {

constexpr double SampleRate = 44100;

double LoudnessOf(double Power) {
    return -0.691 + 10 * std::log10(Power);
}

} // namespace

// The recommendation's filter, from its analogue parameters by the bilinear
// transform, so that at 48 kHz it gives the published coefficients.
GatedLoudness::GatedLoudness() {
    {
        constexpr double f0 = 1681.974450955533;
        constexpr double gain = 3.999843853973347; // dB
        constexpr double q = 0.7071752369554196;
        const double k = std::tan(std::numbers::pi * f0 / SampleRate);
        const double vh = std::pow(10.0, gain / 20.0);
        const double vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1.0 + k / q + k * k;
        FShelf = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
                  (vh - vb * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
                  (1.0 - k / q + k * k) / a0};
    }
    {
        constexpr double f0 = 38.13547087602444;
        constexpr double q = 0.5003270373238773;
        const double k = std::tan(std::numbers::pi * f0 / SampleRate);
        const double a0 = 1.0 + k / q + k * k;
        FHighPass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
}

void GatedLoudness::Add(std::span<const short> Interleaved) {
    const Section s = FShelf;
    const Section h = FHighPass;
    for (std::size_t at = 0; at + 1 < Interleaved.size(); at += 2) {
        for (std::size_t channel = 0; channel < 2; ++channel) {
            std::array<double, 4>& z = FDelay[channel];
            const double x = Interleaved[at + channel] / 32768.0;
            const double y = s.B0 * x + z[0];
            z[0] = s.B1 * x - s.A1 * y + z[1];
            z[1] = s.B2 * x - s.A2 * y;
            const double w = h.B0 * y + z[2];
            z[2] = h.B1 * y - h.A1 * w + z[3];
            z[3] = h.B2 * y - h.A2 * w;
            FSum += w * w;
        }
        if (++FInQuarter < QuarterFrames) {
            continue;
        }
        FQuarters[FQuartersDone % FQuarters.size()] = FSum;
        ++FQuartersDone;
        FSum = 0;
        FInQuarter = 0;
        if (FQuartersDone >= FQuarters.size()) {
            double block = 0;
            for (const double quarter : FQuarters) {
                block += quarter;
            }
            FBlocks.push_back(block / static_cast<double>(FQuarters.size() * QuarterFrames));
        }
    }
}

std::optional<double> GatedLoudness::Lufs(const std::vector<const GatedLoudness*>& Tracks) {
    double sum = 0;
    std::size_t count = 0;
    for (const GatedLoudness* track : Tracks) {
        for (const double power : track->FBlocks) {
            if (power > 0 && LoudnessOf(power) > -70.0) {
                sum += power;
                ++count;
            }
        }
    }
    if (count == 0) {
        return std::nullopt;
    }
    const double threshold = LoudnessOf(sum / static_cast<double>(count)) - 10.0;
    double gated = 0;
    std::size_t passed = 0;
    for (const GatedLoudness* track : Tracks) {
        for (const double power : track->FBlocks) {
            if (power > 0 && LoudnessOf(power) > -70.0 && LoudnessOf(power) > threshold) {
                gated += power;
                ++passed;
            }
        }
    }
    return passed == 0 ? std::nullopt
                       : std::optional<double>(LoudnessOf(gated / static_cast<double>(passed)));
}

} // namespace kestrune::rip
