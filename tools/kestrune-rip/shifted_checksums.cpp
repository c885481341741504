#include "tools/kestrune-rip/shifted_checksums.h"

#include <algorithm>

namespace kestrune::rip {

ShiftedChecksums::ShiftedChecksums(std::uint64_t Samples, const TrackPlace& Place,
                                   std::int32_t Range)
    : FFirst(Place.First ? AccurateRipEndSamples : 1),
      FLast(Place.Last && Samples >= AccurateRipEndSamples ? Samples - AccurateRipEndSamples
                                                           : Samples),
      FRange(static_cast<std::uint64_t>(std::max(Range, 0))), FLeaving(2 * FRange),
      FEntering(2 * FRange) {}

// Sample j of the read (from 0) is the track's position j + 1 - Range. At
// offset -Range position i of the sum reads sample i - 1; each step up leaves
// out the sample at the sum's first position and takes in the one after its last.
void ShiftedChecksums::Add(std::span<const std::uint32_t> Words) {
    for (const std::uint32_t word : Words) {
        const std::uint64_t j = FAt++;
        if (j + 1 >= FFirst && j + 1 <= FLast) {
            FWeighted += static_cast<std::uint32_t>(j + 1) * word;
            FPlain += word;
        }
        if (j + 1 >= FFirst && j + 1 - FFirst < FLeaving.size()) {
            FLeaving[j + 1 - FFirst] = word;
        }
        if (j >= FLast && j - FLast < FEntering.size()) {
            FEntering[j - FLast] = word;
        }
    }
}

std::vector<std::uint32_t> ShiftedChecksums::Checksums() const {
    std::vector<std::uint32_t> sums;
    sums.reserve(2 * FRange + 1);
    std::uint32_t weighted = FWeighted;
    std::uint32_t plain = FPlain;
    sums.push_back(weighted);
    // Every position takes its neighbour's sample: the weights fall by one
    // each (the plain sum), the first term goes and a last one comes.
    const auto first = static_cast<std::uint32_t>(FFirst - 1);
    const auto last = static_cast<std::uint32_t>(FLast);
    for (std::size_t k = 0; k < FLeaving.size(); ++k) {
        weighted = weighted - first * FLeaving[k] + last * FEntering[k] - plain;
        plain = plain - FLeaving[k] + FEntering[k];
        sums.push_back(weighted);
    }
    return sums;
}

} // namespace kestrune::rip
