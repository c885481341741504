#pragma once

#include "tools/kestrune-rip/ctdb_accuracy.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/rip_plan.h"
#include "tools/kestrune-rip/track_accuracy.h"
#include "tools/kestrune-rip/track_rip.h"
#include "tools/kestrune-rip/track_test.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::rip {

// How one track of a run went.
struct LoggedTrack {
    PlannedTrack Planned;
    RipResult Result;
    TrackAccuracy Verdict;         // AccurateRip's, of a track written
    TrackAccuracy Ctdb;            // the CUETools database's
    std::optional<TrackTest> Test; // with --test-and-copy, of a track written
};

// What a run's log tells: where it read, how it encoded, the disc, and each
// track as it ended.
struct LoggedRun {
    std::string Version;
    std::string Source; // the drive or disc image read
    std::vector<DiscTrack> Table;
    std::string Album;        // what the files were tagged from: "Title by Artist"
    std::string DatabaseSaid; // AccurateRip's answer for the disc, a sentence
    std::string CtdbSaid;     // the CUETools database's
    std::vector<LoggedTrack> Tracks;
    std::optional<DiscAccuracy> CtdbDisc; // when every audio track was written
};

// The log as plain text, one fact a line; each track's lines begin with
// "Track NN" so that grep finds them. When is the run's end.
std::string FormatRipLog(const LoggedRun& Run, const RipOptions& Options,
                         std::chrono::system_clock::time_point When);

// What AccurateRip's answer was, for the log.
std::string DescribeDatabaseAnswer(const AccurateRipAnswer& Answer);
// What the CUETools database's was.
std::string DescribeCtdbAnswer(const CtdbAnswer& Answer);

// Where the log goes without --log: the folder of the first file, named after
// the album (made safe as file names are), else after the disc's FreeDB id.
// Empty when the run writes to standard output, a pipe or a device, or the
// user asked for none.
std::string LogFileFor(const RipOptions& Options, const std::vector<PlannedTrack>& Plan,
                       const std::string& FreeDbId);

} // namespace kestrune::rip
