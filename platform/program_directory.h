#pragma once

#include <string>

namespace kestrune::platform {

// The directory of the running executable, ending in a path separator.
std::string ProgramDirectory();

// The separator ProgramDirectory ends with.
constexpr char PathSeparator = '/';

} // namespace kestrune::platform
