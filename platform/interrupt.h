#pragma once

namespace kestrune::platform {

// Catches Ctrl-C, SIGTERM and SIGHUP from now on: instead of ending the process
// they set a flag the program looks at, so it can finish what it writes first.
void CatchInterrupts();
bool InterruptRequested();
// The signal that asked for the stop (the first one); 0 when none came.
int InterruptSignal();

// A reader that went away (`kestrune-rip ... | head`) makes writes fail with
// an error instead of ending the process with SIGPIPE.
void IgnoreBrokenPipes();

} // namespace kestrune::platform
