#pragma once

#include "metadata/ctdb.h"
#include "metadata/http_client.h"
#include "tools/kestrune-rip/background_lookup.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/track_accuracy.h"
#include "tools/kestrune-rip/track_checksums.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::rip {

struct CtdbAnswer {
    DatabaseAnswer State = DatabaseAnswer::NotAsked;
    std::vector<metadata::CtdbEntry> Entries;
    std::int32_t AudioTracks = 0; // the disc's, which an entry's track CRC32s must number
    std::string Warning;          // why it failed: a sentence for the user
};

// The CUETools database asked for the disc whose whole table is Table, as
// the run is planned (see BackgroundLookup); offline, nobody.
using CtdbLookup = BackgroundLookup<CtdbAnswer>;
std::unique_ptr<CtdbLookup> AskCtdb(metadata::HttpClient& Client,
                                    const std::vector<DiscTrack>& Table, const RipOptions& Options);

// The verdict on the track at AudioNumber (from 1) among the disc's audio
// tracks, whose checksums are Sums: the confidence of every entry whose track
// CRC32 matches, of the total of the entries that give the disc's tracks.
TrackAccuracy CheckCtdbTrack(const CtdbAnswer& Answer, std::int32_t AudioNumber,
                             const TrackChecksums& Sums);

// The verdict on the whole disc, whose CRC32 in the database's window is Crc.
TrackAccuracy CheckCtdbDisc(const CtdbAnswer& Answer, std::uint32_t Crc);

// The whole disc's CRC32 in the database's window and the database's verdict on it.
struct DiscAccuracy {
    std::uint32_t Crc = 0;
    TrackAccuracy Verdict;
};

// The disc's verdict from its written audio tracks (by their place among the
// audio tracks, from 1); none unless every audio track is there.
std::optional<DiscAccuracy> CheckCtdbDisc(const CtdbAnswer& Answer,
                                          const std::map<std::int32_t, TrackChecksums>& Tracks);

// The disc's CRC32 from its audio tracks' (TrackChecksums::Ctdb, by their
// place among the audio tracks, from 1): none unless every one of the
// AudioTracks is there.
std::optional<std::uint32_t> JoinCtdbCrcs(const std::map<std::int32_t, TrackChecksums>& Tracks,
                                          std::int32_t AudioTracks);

} // namespace kestrune::rip
