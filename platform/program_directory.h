#pragma once

#include <string>

namespace kestrune::platform {

// The path of the running executable; empty when the system cannot tell.
std::string ExecutablePath();

// The directory of the running executable, ending in a path separator.
std::string ProgramDirectory();

// The separator ProgramDirectory ends with.
constexpr char PathSeparator = '/';

} // namespace kestrune::platform
