#pragma once

#include <cstdint>

namespace kestrune {

enum class TMP3BitRate {
    br8,
    br16,
    br24,
    br32,
    br40,
    br48,
    br56,
    br64,
    br80,
    br96,
    br112,
    br128,
    br144,
    br160,
    br192,
    br224,
    br256,
    br320
};
enum class TMP3Quality { ql0, ql1, ql2, ql3, ql4, ql5, ql6, ql7, ql8, ql9 };
enum class TMP3Mode { STEREO, JOINT_STEREO, DUAL_CHANNEL, MONO };
enum class TMP3SampleRate { srDefault, sr32kHz, sr41kHz, sr48kHz };

// What the encoder is handed for each value.
std::int32_t Kbps(TMP3BitRate Value);
std::int32_t Digit(TMP3Quality Value);
std::int32_t Hertz(TMP3SampleRate Value);

} // namespace kestrune
