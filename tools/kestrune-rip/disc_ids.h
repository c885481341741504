#pragma once

#include "tools/kestrune-rip/disc_table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::rip {

// The ids online databases know a disc by, from its table of contents alone.
struct DiscIds {
    std::string MusicBrainz; // 28 characters
    std::string FreeDb;      // 8 hexadecimal digits
    // The checksums of the track starts that name a disc's entry in the
    // database of other users' rips.
    std::uint32_t AccurateRip1 = 0;
    std::uint32_t AccurateRip2 = 0;
    std::int32_t AudioTracks = 0;
    std::string CueToolsDb; // the CUETools database's TOC id, 28 characters
};

// The session gap of a disc with a data session after its audio (an Enhanced
// CD): the audio session's lead-out lies this many sectors before the data
// track's start.
inline constexpr std::int32_t SessionGapSectors = 11400;

// Where the audio of the disc whose table is Tracks ends: the lead-out, or
// on an Enhanced CD the audio session's, as the ids count it. Raises
// std::runtime_error for a table without audio tracks.
std::int32_t AudioLeadOut(const std::vector<DiscTrack>& Tracks);

// The table as the CUETools database is asked with it: each track's start,
// a data track's with a "-" in front, then the disc's lead-out, joined by ":".
std::string CtdbToc(const std::vector<DiscTrack>& Tracks);

// Ids of the disc whose table is Tracks (the lead-out follows the last track).
// An Enhanced CD is known by its audio session: trailing data tracks are left
// out and the lead-out is the audio session's (the data track's start less the
// session gap, or that start where the table leaves no room for a gap). Raises std::runtime_error
// for a table no disc can have.
DiscIds ComputeDiscIds(const std::vector<DiscTrack>& Tracks);

// The ids as --list prints them, a line each.
std::string FormatDiscIds(const DiscIds& Ids);

} // namespace kestrune::rip
