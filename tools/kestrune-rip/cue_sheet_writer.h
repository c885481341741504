#pragma once

#include "tools/kestrune-rip/rip_plan.h"

#include <string>
#include <vector>

namespace kestrune::rip {

// What a cue sheet of ripped files tells beyond each track's tags.
struct CueDisc {
    std::string Catalogue;     // the disc's media catalogue number: 13 digits, else left out
    std::string FreeDbId;      // 8 hexadecimal digits, else left out
    bool KeepEmphasis = false; // the files hold pre-emphasised audio as the disc does
};

// A cue sheet of Tracks (in the disc's order), one FILE per MP3, each track
// starting at its file's start. A track's pregap is the end of the file in
// front when that file is the disc's track in front (INDEX 00 there), else
// silence (PREGAP): no file holds it.
// File names are relative to CueFile's folder when they lie within it. The
// texts (album, performer, title) are the tags'; a '"' in them becomes '\'',
// since a cue sheet's texts have no escapes, and a line break a blank.
std::string FormatCueSheet(const std::string& CueFile, const std::vector<PlannedTrack>& Tracks,
                           const CueDisc& Disc);

} // namespace kestrune::rip
