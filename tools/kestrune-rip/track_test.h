#pragma once

#include "cdin/cd_in.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kestrune::rip {

// A written track read once more to prove the copy: the CRC32 of each test
// read of its audio, as the copy's is taken (before de-emphasis), until one
// equals the copy's.
struct TrackTest {
    std::vector<std::uint32_t> Crcs; // of the test reads, in order
    bool Matched = false;            // the last one equals the copy's
    std::string Error;               // why a test read failed, if one did
};

// Reads the track at Position of Cd (as the copy was read: the same offset,
// the same unreadable sectors given as silence) up to Reads times, until a
// read's CRC32 equals Copy. A stop ends it with what it has; on the thread
// that runs the main-thread calls, with no rip under way.
TrackTest TestTrack(TCDIn& Cd, std::int32_t Position, std::uint32_t Copy, int Reads = 3);

// How a test went, for standard error and the log, after "CRC32": "1A2B3C4D,
// matches the copy", "1A2B3C4D, 0F0F0F0F, ...: none matches the copy's CRC32
// ...".
std::string DescribeTest(const TrackTest& Test, std::uint32_t Copy);

} // namespace kestrune::rip
