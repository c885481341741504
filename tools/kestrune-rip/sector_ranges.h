#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::rip {

// Sectors (ascending) as the user reads them: runs joined, "230-231, 233".
// With Most, at most that many runs are shown, then "and N more sectors".
std::string FormatSectorRanges(const std::vector<std::int32_t>& Sectors, std::size_t Most = 0);

} // namespace kestrune::rip
