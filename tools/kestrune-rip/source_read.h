#pragma once

#include "cdin/cd_in.h"

#include <functional>
#include <string>

namespace kestrune::rip {

// How one reading of a source went.
struct SourceRead {
    bool Whole = false; // Read read what it wanted (false: a stop came first)
    std::string Error;  // the opening or the reading failed; empty when not
};

// Opens Cd's source (its range as set), runs Read over it and closes it
// again, also when the opening or Read raises: the source is never left open.
SourceRead ReadSource(TCDIn& Cd, const std::function<bool(TCDIn&)>& Read);

} // namespace kestrune::rip
