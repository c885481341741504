#pragma once

#include "drives.h"
#include "read_choices.h"
#include "ripper.h"
#include "settings.h"

#include <cstdint>
#include <memory>

namespace discread {

// Opens the sequential reading of [First, End) of a drive. Images are read
// directly (or, when the settings or a simulation ask, as drives are); drives
// through libcdio-paranoia unless the settings ask for plain reads; a read
// offset shifts whatever is read (OffsetChunkReader). nullptr
// with Error set when the drive cannot be opened for reading.
std::unique_ptr<Ripper> OpenRipper(const Drive& ADrive, const Settings& Options, std::int32_t First,
                                   std::int32_t End, std::int32_t ChunkSectors,
                                   const ReadChoices& Choices, std::int32_t& Error);

} // namespace discread
