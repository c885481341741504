#include "tools/kestrune-rip/track_test.h"

#include "platform/interrupt.h"
#include "tools/kestrune-rip/source_read.h"
#include "tools/kestrune-rip/track_checksums.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <span>

namespace kestrune::rip {

namespace {

// The CRC32 of one read of the open source to its end; false when a stop
// came first.
bool ReadCrc(TCDIn& Cd, std::uint32_t& Crc) {
    std::array<std::byte, TCDIn::ChunkBytes> buffer{};
    uLong crc = crc32(0L, Z_NULL, 0);
    for (std::int32_t got = 0; (got = Cd.ReadBlock(buffer)) > 0;) {
        if (platform::InterruptRequested()) {
            return false;
        }
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(got));
    }
    Crc = static_cast<std::uint32_t>(crc);
    return true;
}

} // namespace

TrackTest TestTrack(TCDIn& Cd, std::int32_t Position, std::uint32_t Copy, int Reads) {
    TrackTest test;
    Cd.SetStartTrack(Position);
    Cd.SetEndTrack(Position);
    for (int read = 0; read < Reads && !test.Matched && !platform::InterruptRequested(); ++read) {
        std::uint32_t crc = 0;
        const SourceRead done = ReadSource(Cd, [&](TCDIn& Source) { return ReadCrc(Source, crc); });
        if (!done.Whole) {
            test.Error = done.Error;
            return test;
        }
        test.Crcs.push_back(crc);
        test.Matched = crc == Copy;
    }
    return test;
}

std::string DescribeTest(const TrackTest& Test, std::uint32_t Copy) {
    std::string crcs;
    for (const std::uint32_t crc : Test.Crcs) {
        crcs += (crcs.empty() ? "" : ", ") + FormatChecksum(crc);
    }
    if (!Test.Error.empty()) {
        return (crcs.empty() ? "" : crcs + "; ") + "a test read failed: " + Test.Error;
    }
    if (Test.Matched) {
        return crcs + ", matches the copy";
    }
    if (Test.Crcs.empty()) {
        return "not tested: stopped";
    }
    return crcs + ": none matches the copy's CRC32 " + FormatChecksum(Copy);
}

} // namespace kestrune::rip
