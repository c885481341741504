#pragma once

#include "cdin/cd_in.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/track_accuracy.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::rip {

// The offsets tried: as far either way as AccurateRip leaves samples out at
// the disc's ends, which is as far as a drive's offset can be and its
// checksums still match.
inline constexpr std::int32_t OffsetSearchRange = 5 * 588;

// An offset at which a track's v1 checksum is a submission's.
struct OffsetMatch {
    std::int32_t Offset = 0;
    std::int32_t Confidence = 0; // the best matching submission's
};

struct TrackOffsets {
    std::int32_t Number = 0; // the disc's own
    std::vector<OffsetMatch> Matches;
    std::string Error; // the read failed; empty when it did not
};

// The audio tracks to try, at most two, in disc order: tracks with an audio
// track after them (so the read runs on into the next track's audio rather
// than past the disc's end), the first left out when there are enough.
std::vector<DiscTrack> OffsetTracks(const std::vector<DiscTrack>& Table);

// Reads Track once from OffsetSearchRange samples before it to as many past
// it (into the next audio track; a disc's only audio track has silence on
// either side) and finds the offsets whose v1 checksum the answer holds for
// it. The read offset of Cd is changed for the read. Stops early, with no matches,
// when the user stops the program.
TrackOffsets MatchOffsets(TCDIn& Cd, const std::vector<DiscTrack>& Table, const DiscTrack& Track,
                          const AccurateRipAnswer& Answer);

// The offset that every track of Tracks matched, the one with the most
// confidence in sum when several did; none when no offset matched them all.
std::optional<OffsetMatch> CommonOffset(const std::vector<TrackOffsets>& Tracks);

} // namespace kestrune::rip
