#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::test {

// A range of a raw image's sectors, and whether it is the disc's first or
// last audio track.
struct ChecksumRange {
    std::int64_t Start;
    std::int64_t Sectors;
    const char* Ends; // "first", "last", "only" or "-"
};

// checksum_reference.py's line for each range of Bin: the CRC32, the CRC32
// without silence, AccurateRip v1 and v2, the CUETools database's CRC32, in
// hexadecimal (the disc's audio taken to run from the start of the first range
// to the end of the last). Computed apart from
// the program, from the definitions.
std::vector<std::string> ComputedApart(const std::string& Bin,
                                       const std::vector<ChecksumRange>& Ranges);

} // namespace kestrune::test
