#pragma once

#include "tools/kestrune-rip/track_tags.h"

#include <string>

namespace kestrune::rip {

// Puts an ID3 version 2.4 tag holding Tags (texts in UTF-8) at the head of the
// MP3 file File, leaving the rest of it (the encoder's Info frame, the
// version 1 tag at its end) as it is. Raises std::runtime_error naming Name
// (the file the user asked for; File may be its temporary stand-in) when it
// cannot.
void WriteId3v2Tag(const std::string& File, const TrackTags& Tags, const std::string& Name);

// Replaces File, an MP3 already in place, with a copy of itself that has the
// album's ReplayGain in its version 2 tag, in one step (a file is never seen
// half changed). Raises std::runtime_error naming File when it cannot; File
// then stays as it was.
void AddAlbumGain(const std::string& File, const ReplayGain& Gain);

} // namespace kestrune::rip
