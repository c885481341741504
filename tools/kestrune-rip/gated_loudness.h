#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace kestrune::rip {

// Integrated loudness of 44.1 kHz stereo as ITU-R BS.1770-4 measures it:
// each channel K-weighted (a high shelf, then a high pass: two second-order
// sections in double), the squares summed per 100 ms, a 400 ms block every
// 100 ms whose power is the channels' mean squares added, and the blocks
// gated at -70 LUFS and then at 10 LU below the mean of those that passed.
// Written out here rather than taken from a library for speed: the filter is
// the work beside the encoder, and two plain sections cost a third of a
// general meter's per-sample loop.
class GatedLoudness {
public:
    GatedLoudness();

    // The next whole stereo frames, left and right interleaved.
    void Add(std::span<const short> Interleaved);

    // The loudness of the blocks of every one of Tracks taken together (an
    // album's), in LUFS; none when no block passes the absolute gate.
    static std::optional<double> Lufs(const std::vector<const GatedLoudness*>& Tracks);

private:
    struct Section {
        double B0, B1, B2, A1, A2;
    };
    static constexpr std::size_t QuarterFrames = 4410; // 100 ms

    Section FShelf;
    Section FHighPass;
    // Per channel, each section's two delayed values (transposed direct form II).
    std::array<std::array<double, 4>, 2> FDelay{};
    std::array<double, 4> FQuarters{}; // the last four 100 ms sums of squares, a ring
    std::size_t FQuartersDone = 0;
    double FSum = 0;
    std::size_t FInQuarter = 0;
    std::vector<double> FBlocks; // each 400 ms block's power
};

} // namespace kestrune::rip
