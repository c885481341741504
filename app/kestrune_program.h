#pragma once

#include <string>
#include <vector>

namespace kestrune {

// Builds the main window for Arguments (the command line without the program
// name) and runs the event loop until it closes. A window that cannot be built
// (a library that cannot be loaded) shows its message in an error box and
// ends the program. Needs the QApplication to exist already.
int RunKestrune(const std::vector<std::string>& Arguments);

} // namespace kestrune
