#pragma once

#include <string>

namespace discread {

enum class ParanoiaMode { Plain = 0, Overlap = 1, Full = 2 };

struct Settings {
    int Active = 0;
    ParanoiaMode Paranoia = ParanoiaMode::Full;
    // Images read through libcdio-paranoia like drives (nParanoiaImages=1, or
    // DISCREAD_PARANOIA=1 in the environment) instead of directly.
    bool ParanoiaImages = false;
};

// Reads section [CD-ROM] of the settings file: nActive, nParanoiaMode and
// nParanoiaImages; DISCREAD_PARANOIA=1 in the environment sets the last.
// A missing file or key keeps the default; other keys are someone else's.
Settings ReadSettings(const std::string& Path);

} // namespace discread
