#pragma once

namespace kestrune::platform {

// Opens the null device on each of standard input, output and error that the
// program was started without (`2>&-`), before anything else is opened: a
// closed one would be handed to the next file the program opens, and whatever
// is meant for it (progress, warnings) would land inside that file.
void OpenMissingStandardDescriptors() noexcept;

} // namespace kestrune::platform
