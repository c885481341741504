#pragma once

// Parsing: a track's description on the command line into a TrackSpec.

#include "tools/mkdisc/disc_layout.h"

#include <string_view>

namespace kestrune::mkdisc {

// Parses KIND:LENGTH[:SIGNAL][,OPTION...], for example "audio:3:sine=440@-6,dcp",
// "audio:150f:silence,pregap=2", "audio:1,gap=10f,title=Intro,isrc=GBAYE0000001",
// "data:2". LENGTH is seconds, or sectors with a trailing 'f'. Throws
// std::invalid_argument with a readable message.
TrackSpec ParseTrack(std::string_view Text);

} // namespace kestrune::mkdisc
