#pragma once

#include "cdin/cd_in.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::rip {

// A track as the disc lists it. Position is what TCDIn counts (1 to the
// number of tracks); Number is the disc's own, which need not start at 1.
struct DiscTrack {
    std::int32_t Position = 0;
    std::int32_t Number = 0;
    std::int32_t Start = 0;   // sector
    std::int32_t Sectors = 0; // up to the next track
    // The sectors before Start that are this track's pregap (they end the
    // range of the track in front); 0 when none or the drive cannot tell.
    std::int32_t Pregap = 0;
    std::uint8_t Flag = 0;
    std::string Isrc;
    std::string Title;
    std::string Performer; // CD-Text
};

// Reads the table of the source's drive; raises std::runtime_error with the
// library's reason when there is none.
std::vector<DiscTrack> ReadDiscTable(TCDIn& Cd);

// The table as --list prints it.
std::string FormatDiscTable(const std::vector<DiscTrack>& Tracks);

// A text of a sheet or a database as the terminal may see it: those are
// anyone's, and escape sequences in a title would clear the screen or retitle
// the window. A tab keeps its place as a blank.
std::string Printable(const std::string& Text);

// The track the disc numbers Number; raises std::runtime_error naming the
// numbers the disc has when there is none.
const DiscTrack& TrackNumbered(const std::vector<DiscTrack>& Tracks, std::int32_t Number);

} // namespace kestrune::rip
