#pragma once

// Writing: the cue sheet and the raw sectors of a disc.

#include "tools/mkdisc/disc_spec.h"

#include <string>

namespace kestrune::mkdisc {

// Writes Base + ".cue" and Base + ".bin". Throws std::runtime_error on failure.
void WriteDisc(const std::string& Base, const DiscSpec& Disc);

} // namespace kestrune::mkdisc
