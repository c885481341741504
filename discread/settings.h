#pragma once

#include <string>

namespace discread {

enum class ParanoiaMode { Plain = 0, Overlap = 1, Full = 2 };

struct Settings {
    int Active = 0;
    ParanoiaMode Paranoia = ParanoiaMode::Full;
};

// Reads section [CD-ROM] of the settings file: nActive and nParanoiaMode.
// A missing file or key keeps the default; other keys are someone else's.
Settings ReadSettings(const std::string& Path);

} // namespace discread
