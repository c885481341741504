#pragma once

#include <cstdio>

namespace kestrune::platform {

// Whether Stream is a terminal (so it can take a progress bar that redraws).
bool IsTerminal(std::FILE* Stream);
// Columns of the terminal behind Stream; 80 when it cannot tell.
int TerminalColumns(std::FILE* Stream);

} // namespace kestrune::platform
