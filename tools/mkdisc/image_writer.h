#pragma once

// Writing: the sheet and the data files of a disc, and what a reader must
// find in them.

#include "tools/mkdisc/disc_layout.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::mkdisc {

// Writes the sheet (Base + ".cue", ".toc" or ".nrg") and its data files;
// returns the sheet's path. Throws std::runtime_error on failure.
std::string WriteDisc(const std::string& Base, const DiscSpec& Disc);

// The bytes a reader must give for the track at Position (0-based): from its
// INDEX 01 to the next track's INDEX 01 (its pregap and gap included), or to
// the end of the disc; raw sectors as the disc holds them.
std::vector<std::uint8_t> TrackBytes(const DiscSpec& Disc, std::size_t Position);

// The sector where the track at Position starts (its INDEX 01).
std::int64_t TrackStart(const DiscSpec& Disc, std::size_t Position);

} // namespace kestrune::mkdisc
