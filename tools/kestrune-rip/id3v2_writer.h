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

} // namespace kestrune::rip
