#include "tools/kestrune-rip/offset_finder.h"

#include "cdin/disc_types.h"
#include "platform/interrupt.h"
#include "tools/kestrune-rip/rip_plan.h"
#include "tools/kestrune-rip/shifted_checksums.h"
#include "tools/kestrune-rip/source_read.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace kestrune::rip {

namespace {

constexpr std::size_t SampleBytes = 4;

// Feeds the open source's samples to Sums until it has what it needs; false
// when a stop came first.
bool ReadInto(TCDIn& Cd, ShiftedChecksums& Sums) {
    std::array<std::byte, TCDIn::ChunkBytes> buffer{};
    std::vector<std::uint32_t> words;
    std::uint64_t given = 0;
    while (given < Sums.Needed()) {
        const std::int32_t got = Cd.ReadBlock(buffer);
        if (got <= 0) {
            break; // the disc ends: the rest is silence
        }
        if (platform::InterruptRequested()) {
            return false;
        }
        words.resize(static_cast<std::size_t>(got) / SampleBytes);
        std::memcpy(words.data(), buffer.data(), words.size() * SampleBytes);
        Sums.Add(words);
        given += words.size();
    }
    return true;
}

// The track after Track in the table, when it is audio: the read runs on into it.
const DiscTrack* AudioAfter(const std::vector<DiscTrack>& Table, const DiscTrack& Track) {
    const auto self = std::find_if(Table.begin(), Table.end(), [&](const DiscTrack& Each) {
        return Each.Number == Track.Number;
    });
    return self != Table.end() && self + 1 != Table.end() && IsAudioFlag((self + 1)->Flag)
               ? &*(self + 1)
               : nullptr;
}

} // namespace

std::vector<DiscTrack> OffsetTracks(const std::vector<DiscTrack>& Table) {
    std::vector<DiscTrack> tracks;
    for (const DiscTrack& track : Table) {
        if (IsAudioFlag(track.Flag) && AudioAfter(Table, track) != nullptr) {
            tracks.push_back(track);
        }
    }
    // The first track's start holds what drives read least alike.
    if (tracks.size() > 2) {
        tracks.erase(tracks.begin());
    }
    if (tracks.empty()) {
        // One audio track: read past its end, as silence.
        const auto audio = std::find_if(Table.begin(), Table.end(), [](const DiscTrack& Each) {
            return IsAudioFlag(Each.Flag);
        });
        if (audio != Table.end()) {
            tracks.push_back(*audio);
        }
    }
    tracks.resize(std::min<std::size_t>(tracks.size(), 2));
    return tracks;
}

TrackOffsets MatchOffsets(TCDIn& Cd, const std::vector<DiscTrack>& Table, const DiscTrack& Track,
                          const AccurateRipAnswer& Answer) {
    TrackOffsets found;
    found.Number = Track.Number;
    const auto samples = static_cast<std::uint64_t>(Track.Sectors) * 588;
    ShiftedChecksums sums(samples, PlaceOf(Table, Track), OffsetSearchRange);
    const DiscTrack* next = AudioAfter(Table, Track);
    Cd.SetStartTrack(Track.Position);
    if (next != nullptr) {
        Cd.SetReadOffset(-OffsetSearchRange);
        Cd.SetEndTrack(next->Position);
    } else {
        // The disc's only audio track: before it is the lead-in and after it
        // the lead-out, silence as a corrected read gives them; read as it
        // stands, for a read with the offset would stop short of its end.
        Cd.SetReadOffset(0);
        Cd.SetEndTrack(Track.Position);
        sums.Add(std::vector<std::uint32_t>(static_cast<std::size_t>(OffsetSearchRange), 0));
    }
    const SourceRead read = ReadSource(Cd, [&](TCDIn& Source) { return ReadInto(Source, sums); });
    if (!read.Whole) {
        found.Error = read.Error;
        return found;
    }
    const std::vector<std::uint32_t> checksums = sums.Checksums();
    const auto index = static_cast<std::size_t>(AudioNumberOf(Table, Track) - 1);
    for (std::size_t k = 0; k < checksums.size(); ++k) {
        OffsetMatch match{static_cast<std::int32_t>(k) - OffsetSearchRange, 0};
        for (const metadata::AccurateRipPressing& pressing : Answer.Pressings) {
            if (index < pressing.size() && pressing[index].Crc == checksums[k]) {
                match.Confidence = std::max(match.Confidence, pressing[index].Confidence);
            }
        }
        if (match.Confidence > 0) {
            found.Matches.push_back(match);
        }
    }
    return found;
}

std::optional<OffsetMatch> CommonOffset(const std::vector<TrackOffsets>& Tracks) {
    std::map<std::int32_t, std::pair<std::size_t, std::int32_t>> seen; // tracks, confidence
    for (const TrackOffsets& track : Tracks) {
        for (const OffsetMatch& match : track.Matches) {
            auto& [count, confidence] = seen[match.Offset];
            ++count;
            confidence += match.Confidence;
        }
    }
    std::optional<OffsetMatch> best;
    for (const auto& [offset, tally] : seen) {
        if (tally.first == Tracks.size() && (!best || tally.second > best->Confidence)) {
            best = OffsetMatch{offset, tally.second};
        }
    }
    return best;
}

} // namespace kestrune::rip
