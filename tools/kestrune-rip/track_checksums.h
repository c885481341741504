#pragma once

#include "cdin/cd_format.h"
#include "cdin/cd_pass_through.h"
#include "tools/kestrune-rip/batch_worker.h"

#include <cstdint>
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
    // The CUETools database's CRC32 of the track (zlib's, over the bytes its
    // window holds) and how many bytes that is, to join the tracks' into the disc's.
    std::uint32_t Ctdb = 0;
    std::uint64_t CtdbBytes = 0;
};

// Where a track lies on the disc, for the checksums that leave out the
// disc's outer ends.
struct TrackPlace {
    bool First = false; // the disc's first audio track
    bool Last = false;  // its last
    // Of the last: the stereo samples at its end that the CUETools database
    // leaves out (see CtdbTailSamples).
    std::uint64_t CtdbTail = 0;
};

// The CUETools database leaves out the first ten sectors of the disc's audio
// and the last ten plus the audio's length in sectors modulo ten (its CRC is
// of the rows of ten sectors between), counted from the first audio track's
// start to the audio's lead-out. The last track's tail: those, and the
// sectors of its range past that lead-out (an Enhanced CD's gap).
inline constexpr std::uint64_t CtdbHeadSamples = std::uint64_t{10} * 588;
// AccurateRip's: five sectors of samples at each end of the disc's audio.
inline constexpr std::uint64_t AccurateRipEndSamples = std::uint64_t{5} * 588;
std::uint64_t CtdbTailSamples(std::int64_t AudioSectors, std::int64_t PastLeadOut);

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
// read offset would reach past the disc. The CUETools database's CRC32
// leaves out its own ends, as TrackPlace says.
// The sums are worked out on a thread of their own (a BatchWorker), off the
// thread that reads and encodes.
class TTrackChecksums : public TCDPassThrough {
public:
    explicit TTrackChecksums(TComponent* AOwner = nullptr);

    std::int32_t ReadBlock(std::span<std::byte> Buffer) override;
    void OpenSource() override;
    void CloseSource() override;

    // Where the track lies on the disc, for the ends the checksums leave
    // out; set before the reading.
    void SetPlace(const TrackPlace& Place);
    // The checksums of what the last reading passed through, once it has
    // ended.
    TrackChecksums Checksums() const;

private:
    // On the summing thread, as are the two below.
    void Add(std::span<const std::byte> Bytes);
    // Whole samples, continuing the counts.
    void AddSamples(std::span<const std::byte> Whole);
    // The part of Whole (its samples from Before on, counted from 0) in the
    // database's window; Block is the CRC32 of Whole.
    void AddCtdb(std::span<const std::byte> Whole, std::uint64_t Before, std::uint32_t Block);

    // The summing thread's while a reading goes on; set and read by others
    // once FSummer.WaitDone() returns.
    TrackChecksums FSums;
    std::vector<std::byte> FCarry; // a sample a block cut in two
    std::uint64_t FTotalSamples = 0;
    TrackPlace FPlace;
    BatchWorker FSummer; // last: it goes first, while the rest still exists
};

} // namespace kestrune::rip
