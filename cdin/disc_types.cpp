#include "cdin/disc_types.h"

namespace kestrune {

TDiscTime SectorsToDiscTime(std::int32_t Sectors) {
    const std::int32_t seconds = Sectors / CDSectorsPerSecond;
    return {static_cast<std::uint8_t>(seconds / 60), static_cast<std::uint8_t>(seconds % 60),
            static_cast<std::uint8_t>(Sectors % CDSectorsPerSecond)};
}

std::int32_t DiscTimeToSectors(const TDiscTime& Time) {
    return (Time.Minutes * 60 + Time.Seconds) * CDSectorsPerSecond + Time.Frames;
}

} // namespace kestrune
