#pragma once

#include "tools/kestrune-rip/track_checksums.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kestrune::rip {

// AccurateRip's v1 checksum of one track as a drive with each read offset
// from -Range to +Range would give it, from a single read of the track with
// Range samples more on either side. v1 is the sum of i * x[i] modulo 2^32
// over the track's positions i, so moving the track one sample changes it
// by the terms at its two ends and the plain sum of the samples between:
// each further offset costs a few operations, not a pass over the track.
// (v2 adds the high halves of the products, which is no such sum: only v1 is
// found this way.)
class ShiftedChecksums {
public:
    // Samples: the track's length in stereo samples; Place: whether it is the
    // disc's first or last audio track, whose checksum leaves out its ends.
    ShiftedChecksums(std::uint64_t Samples, const TrackPlace& Place, std::int32_t Range);

    // How many stereo samples the read must give, from Range samples before
    // the track's start on.
    std::uint64_t Needed() const { return FLast + 2 * FRange; }

    // The next of those samples, each a little-endian 32-bit word (left
    // channel low); those past Needed are left alone.
    void Add(std::span<const std::uint32_t> Words);

    // v1 for each offset, from -Range at index 0 to +Range; samples the read
    // did not give count as silence.
    std::vector<std::uint32_t> Checksums() const;

private:
    std::uint64_t FFirst; // the first and last positions summed, from 1
    std::uint64_t FLast;
    std::uint64_t FRange;
    std::uint64_t FAt = 0; // the samples given so far
    // At offset -Range: the sum of position times sample, and of the samples.
    std::uint32_t FWeighted = 0;
    std::uint32_t FPlain = 0;
    // The samples that enter and leave the sum as the offset grows.
    std::vector<std::uint32_t> FLeaving;
    std::vector<std::uint32_t> FEntering;
};

} // namespace kestrune::rip
