#include "mp3out/mp3_types.h"

#include <array>

namespace kestrune {

std::int32_t Kbps(TMP3BitRate Value) {
    constexpr std::array<std::int32_t, 18> kbps{8,  16,  24,  32,  40,  48,  56,  64,  80,
                                                96, 112, 128, 144, 160, 192, 224, 256, 320};
    return kbps.at(static_cast<std::size_t>(Value));
}

std::int32_t Digit(TMP3Quality Value) {
    return static_cast<std::int32_t>(Value);
}

std::int32_t Hertz(TMP3SampleRate Value) {
    constexpr std::array<std::int32_t, 4> hertz{0, 32000, 44100, 48000};
    return hertz.at(static_cast<std::size_t>(Value));
}

} // namespace kestrune
