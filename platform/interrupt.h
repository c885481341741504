#pragma once

namespace kestrune::platform {

// Catches Ctrl-C (and SIGTERM) from now on: instead of ending the process they
// set a flag the program looks at, so it can finish what it writes first.
void CatchInterrupts();
bool InterruptRequested();

} // namespace kestrune::platform
