#pragma once

#include "cdin/cd_in.h"
#include "metadata/http_client.h"
#include "tools/kestrune-rip/ctdb_accuracy.h"
#include "tools/kestrune-rip/cue_sheet_writer.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/rip_log.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/rip_plan.h"
#include "tools/kestrune-rip/track_accuracy.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrune::rip {

// A run's tracks, the disc they come from, what its cue sheet and log tell,
// and the database's answer on its way.
struct PlannedRun {
    std::vector<PlannedTrack> Tracks;
    CueDisc Disc;
    std::unique_ptr<AccurateRipLookup> Database;
    std::unique_ptr<CtdbLookup> Ctdb;
    std::vector<DiscTrack> Table;         // the whole disc's
    std::string Album;                    // "Title by Artist", for the log
    std::string LogFile;                  // empty: none
    std::vector<LoggedTrack> Ended;       // each track as it ended
    std::optional<DiscAccuracy> CtdbDisc; // once every audio track is written
};

// The names and tags of Chosen, from the disc (whose whole table is Table)
// and the services, and the checksum databases asked; the folders they go to made.
// Raises std::runtime_error for a cue sheet or log that would replace a file
// of the image being read or one of the run's own files.
PlannedRun Plan(TCDIn& Cd, metadata::HttpClient& Client, const std::vector<DiscTrack>& Table,
                const std::vector<DiscTrack>& Chosen, const RipOptions& Options);

// The cue sheet of the files written whole (Written), when one was asked
// for. Returns 0, or 1 when it could not be written (said on standard error).
int WriteCue(const RipOptions& Options, const PlannedRun& Run,
             const std::vector<std::string>& Written);

// The run's log, once every track has ended. Returns as WriteCue does; a
// default log that cannot be written is only a warning.
int WriteLog(const RipOptions& Options, const PlannedRun& Run, const std::string& Version,
             const std::string& Source);

} // namespace kestrune::rip
