#pragma once

#include "cdin/cd_format.h"
#include "cdin/cd_pass_through.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace kestrune::rip {

// The checksums that tell a track's audio exactly, as the disc holds it.
struct TrackChecksums {
    std::uint32_t Crc32 = 0;             // zlib's CRC32 of every byte
    std::uint32_t Crc32WithoutZeros = 0; // of the samples that are not silence in both channels
    std::uint32_t AccurateRip1 = 0;
    std::uint32_t AccurateRip2 = 0;
    std::uint64_t Samples = 0; // stereo samples counted
};

// A checksum as every list of them writes it: eight upper-case hexadecimal digits.
std::string FormatChecksum(std::uint32_t Value);

// Passes CD audio (16-bit stereo, 44100 Hz) through unchanged and computes
// its checksums on the way, so they cost no second pass. It stands in front
// of the de-emphasis: the checksums are of the disc's own samples.
//
// AccurateRip: each stereo sample as a little-endian 32-bit word (left in the
// low half) times its position in the track, counted from 1; version 1 sums
// the low 32 bits of each product, version 2 the low and the high 32 bits.
// The disc's first audio track leaves out the samples before position
// 5 × 588 and its last audio track the last 5 × 588 samples, where a drive's
// read offset would reach past the disc.
class TTrackChecksums : public TCDPassThrough {
public:
    using TCDPassThrough::TCDPassThrough;

    std::int32_t ReadBlock(std::span<std::byte> Buffer) override;
    void OpenSource() override;
    void CloseSource() override;

    // Where the track lies on the disc, for AccurateRip's ends; set before
    // the reading.
    void SetFirstAndLast(bool First, bool Last);
    // The checksums of what the last reading passed through.
    TrackChecksums Checksums() const;

private:
    void Add(std::span<const std::byte> Bytes);
    // With FLock held: whole samples, continuing the counts.
    void AddSamples(std::span<const std::byte> Whole);

    mutable std::mutex FLock;
    TrackChecksums FSums;
    std::vector<std::byte> FCarry; // a sample a block cut in two
    std::uint64_t FTotalSamples = 0;
    bool FFirst = false;
    bool FLast = false;
};

} // namespace kestrune::rip
