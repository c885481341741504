#pragma once

#include "metadata/disc_metadata.h"
#include "tools/kestrune-rip/disc_table.h"
#include "tools/kestrune-rip/rip_options.h"
#include "tools/kestrune-rip/track_checksums.h"
#include "tools/kestrune-rip/track_tags.h"

#include <string>
#include <vector>

namespace kestrune::rip {

// A track to rip, the file it goes to and what that file is tagged with.
struct PlannedTrack {
    DiscTrack Track;
    std::string Output;
    TrackTags Tags;
    // Whether it is the disc's first or last audio track, whose checksums
    // leave out their outer ends.
    TrackPlace Place;
    // Its place among the disc's audio tracks, from 1, as AccurateRip counts them.
    std::int32_t AudioNumber = 0;
};

// Where Track lies among the audio tracks of the disc whose table is Table.
TrackPlace PlaceOf(const std::vector<DiscTrack>& Table, const DiscTrack& Track);
// Its place among them, from 1 (0: it is no audio track).
std::int32_t AudioNumberOf(const std::vector<DiscTrack>& Table, const DiscTrack& Track);

// The tracks of Chosen (from the disc's Table) named by the -o pattern and
// tagged from Album and the options. Raises UsageError when two tracks would
// be written to one file, before anything is ripped.
std::vector<PlannedTrack> PlanRip(const std::vector<DiscTrack>& Table,
                                  const std::vector<DiscTrack>& Chosen,
                                  const metadata::AlbumMetadata& Album, const RipOptions& Options);

// Makes the folders the planned files go to. Raises std::runtime_error naming
// the folder that cannot be made.
void MakeFolders(const std::vector<PlannedTrack>& Plan);

} // namespace kestrune::rip
