#pragma once

#include <array>
#include <string>
#include <vector>

namespace discread {

// ISRC (or, for the disc, catalogue number), title, performer, songwriter.
using TextFields = std::array<std::string, 4>;
struct DiscTexts {
    TextFields Disc;
    std::vector<TextFields> Tracks;
};

} // namespace discread
