#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace discread {

// Sectors First..Last, both included.
struct SectorRange {
    std::int32_t First = 0;
    std::int32_t Last = 0;
    friend bool operator==(const SectorRange&, const SectorRange&) = default;
};

// How a simulated drive behaves (DISCREAD_SIMULATE): how fast it reads, what
// moving its head costs, which sectors it cannot read.
struct DriveSimulation {
    // Times real time (1 = 75 sectors a second); none reads as fast as it can.
    std::optional<double> Speed;
    // Added to every read that does not start where the one before ended.
    std::chrono::nanoseconds Seek{0};
    // Every read that touches one of them fails.
    std::vector<SectorRange> Bad;
    // The first read that touches one of them fails, later ones do not.
    std::vector<SectorRange> Flaky;
    // The first read that touches one of them gives those sectors wrong (every
    // byte changed) without failing, as a drive that misreads a scratch.
    std::vector<SectorRange> Garbled;
    // What the drive calls itself (vendor, model, revision), as a real one
    // answers DR_GetDriveModel; empty: an image's nothing.
    std::string Model;
    // How far the drive reads before the disc's first sector and past its
    // data's end, as drives that read into the lead-in and lead-out do; 0:
    // not at all. Byte b of such a sector s is (31 * s + b) mod 256.
    std::int32_t LeadSectors = 0;
};

// Reads the value of DISCREAD_SIMULATE: settings separated by ',' or ';', blanks
// around them ignored:
//   speed=N[x]     N a positive decimal number (24, 1.5, 8x)
//   seek=Dms|Ds    D a decimal number, at most an hour (80ms, 0.08s, 0ms)
//   bad=RANGE      RANGE a sector (21000) or FIRST-LAST with FIRST <= LAST
//   flaky=RANGE
//   garble=RANGE
//   RANGE          one more range of the bad=, flaky= or garble= before it
//   model=TEXT     the drive's vendor, model and revision (no ',' or ';')
//   lead=N         N sectors (0 to 100000) readable on either side of the disc
// speed, seek, model and lead may be given once; the ranges add up. Raises ImageError,
// naming the variable and the part it refuses, for anything else.
DriveSimulation ParseDriveSimulation(std::string_view Text);

} // namespace discread
