#include "pipeline/deemphasis_filter.h"

#include <algorithm>
#include <cmath>

namespace kestrune {

namespace {

constexpr double PoleSeconds = 50e-6;
constexpr double ZeroSeconds = 15e-6;

} // namespace

DeemphasisFilter::DeemphasisFilter(double SampleRate) {
    const double pole = std::exp(-1.0 / (PoleSeconds * SampleRate));
    const double zero = std::exp(-1.0 / (ZeroSeconds * SampleRate));
    const double gain = (1.0 - pole) / (1.0 - zero);
    FB0 = gain;
    FB1 = -gain * zero;
    FA1 = -pole;
}

void DeemphasisFilter::Reset() {
    FInput[0] = FInput[1] = 0;
    FOutput[0] = FOutput[1] = 0;
    FChannel = 0;
}

std::int16_t DeemphasisFilter::Filter(std::int16_t Sample) {
    const double x = Sample;
    const double y = FB0 * x + FB1 * FInput[FChannel] - FA1 * FOutput[FChannel];
    FInput[FChannel] = x;
    FOutput[FChannel] = y;
    FChannel ^= 1;
    return static_cast<std::int16_t>(std::clamp(std::lround(y), -32768L, 32767L));
}

std::size_t DeemphasisFilter::Process(std::span<std::byte> Bytes) {
    const std::size_t whole = Bytes.size() & ~std::size_t{1};
    for (std::size_t i = 0; i < whole; i += 2) {
        const auto low = static_cast<std::uint8_t>(Bytes[i]);
        const auto high = static_cast<std::uint8_t>(Bytes[i + 1]);
        const auto sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | high << 8));
        const auto out = static_cast<std::uint16_t>(Filter(sample));
        Bytes[i] = static_cast<std::byte>(out & 0xFF);
        Bytes[i + 1] = static_cast<std::byte>(out >> 8);
    }
    return whole;
}

} // namespace kestrune
