#pragma once

#include <string>

namespace kestrune::rip {

// Raises UsageError unless the encoder takes Genre as one of its own (a name
// of its list in any case and spelling of punctuation, or its number): it
// would write anything else as "Other" without a word. An empty genre is none.
// Needs the encoder library loaded.
void CheckGenre(const std::string& Genre);

} // namespace kestrune::rip
