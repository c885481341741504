#pragma once

#include "metadata/accuraterip.h"
#include "metadata/http_client.h"
#include "tools/kestrune-rip/background_lookup.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/track_checksums.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrune::rip {

// What the database said of the disc.
enum class DatabaseAnswer {
    Answered,
    NotInDatabase,
    NotAsked, // --offline, or a table that gives no disc ids (no drive's table, say)
    Failed    // no answer, or one that could not be read
};

struct AccurateRipAnswer {
    DatabaseAnswer State = DatabaseAnswer::NotAsked;
    std::vector<metadata::AccurateRipPressing> Pressings;
    std::string Warning; // why it failed: a sentence for the user
};

// AccurateRip asked for the disc whose whole table is Table, as the run is
// planned (see BackgroundLookup); offline, nobody.
using AccurateRipLookup = BackgroundLookup<AccurateRipAnswer>;
std::unique_ptr<AccurateRipLookup> AskAccurateRip(metadata::HttpClient& Client,
                                                  const std::vector<DiscTrack>& Table,
                                                  const RipOptions& Options);

enum class Accuracy {
    Accurate,      // a submitted checksum matches, v1 or v2
    NotAccurate,   // the database holds the track, but no submission matches
    NotInDatabase, // it holds nothing of the disc
    NotChecked     // offline, or the database could not be asked
};

struct TrackAccuracy {
    Accuracy Result = Accuracy::NotChecked;
    std::int32_t Confidence = 0; // the best matching submission's
    std::int32_t Total = 0;      // of every submission of the track, matching or not
    int Version = 0;             // which checksum matched, 1 or 2 (0: the database has one)
    DatabaseAnswer State = DatabaseAnswer::NotAsked;
};

// The verdict on the track at AudioNumber (from 1) among the disc's audio
// tracks, whose checksums are Sums.
TrackAccuracy CheckAccuracy(const AccurateRipAnswer& Answer, std::int32_t AudioNumber,
                            const TrackChecksums& Sums);

// Two databases' verdicts on one track as one: accurate when either calls it
// so, else not accurate when either holds other submissions, else unknown.
Accuracy Combined(const TrackAccuracy& One, const TrackAccuracy& Other);

// "accurately ripped (confidence 12 of 15)", or why not.
std::string DescribeAccuracy(const TrackAccuracy& Verdict);

} // namespace kestrune::rip
