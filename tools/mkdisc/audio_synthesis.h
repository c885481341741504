#pragma once

// Synthesis: the PCM of an audio track from its TrackSpec.

#include "tools/mkdisc/disc_layout.h"

#include <cstdint>
#include <vector>

namespace kestrune::mkdisc {

// The PCM of one audio track as stored on the disc (interleaved left, right).
std::vector<std::int16_t> RenderAudio(const TrackSpec& Track);

} // namespace kestrune::mkdisc
