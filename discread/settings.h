#pragma once

#include <optional>
#include <string>

namespace discread {

enum class ParanoiaMode { Plain = 0, Overlap = 1, Full = 2 };

struct Settings {
    int Active = 0;
    ParanoiaMode Paranoia = ParanoiaMode::Full;
    // Images read through libcdio-paranoia like drives (nParanoiaImages=1, or
    // DISCREAD_PARANOIA=1 in the environment) instead of directly.
    bool ParanoiaImages = false;
    // DISCREAD_SIMULATE as it was found (set and not empty): images are read as
    // a drive that behaves so. Read when a reading is opened, which refuses a
    // value that is not right.
    std::optional<std::string> Simulation;
};

// Reads section [CD-ROM] of the settings file: nActive, nParanoiaMode and
// nParanoiaImages; DISCREAD_PARANOIA=1 in the environment sets the last, and
// DISCREAD_SIMULATE the simulation.
// A missing file or key keeps the default; other keys are someone else's.
Settings ReadSettings(const std::string& Path);

} // namespace discread
