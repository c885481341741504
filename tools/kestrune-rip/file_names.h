#pragma once

#include "tools/kestrune-rip/track_tags.h"

#include <string>

namespace kestrune::rip {

enum class NameRules {
    Posix,  // '/' and control characters are replaced
    Windows // also < > : " \ | ? * and a trailing dot or blank
};

// The file name for a track from an -o pattern: %n the track's number (two
// digits), %N the count, %t its title, %a its artist, %A the album artist,
// %b the album, %y the year, %d the disc's number, %% a '%'. A text missing
// from the tags gives "Track NN", "Unknown Artist" or "Unknown Album". The
// texts put in are made safe for a name (a character the rules refuse becomes
// '_', and so does a leading dot: no text climbs out of its folder or hides
// the file); '/' in the pattern itself makes folders. Each part of the path is
// cut to 255 bytes on a character's boundary, a file's extension kept. An
// empty pattern gives "TrackNN.mp3".
std::string ExpandName(const std::string& Pattern, const TrackTags& Tags, NameRules Rules);

} // namespace kestrune::rip
