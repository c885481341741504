#pragma once

#include "regular_file.h"

#include <cstdint>

namespace discread {

// Where the samples of a RIFF WAVE file are.
struct WaveData {
    std::int64_t Offset = 0;
    std::int64_t Bytes = 0;
};

// Walks the chunks of File to its "fmt " and "data" chunks. Only what a CD
// holds is accepted, 16-bit stereo PCM at 44100 Hz; raises FileError naming
// the format otherwise, or what is wrong with the file.
WaveData FindWaveData(const RegularFile& File);

} // namespace discread
