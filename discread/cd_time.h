#pragma once

// Times on a CD as the sheets write them, "mm:ss:ff": minutes, seconds and
// frames, 75 frames a second, one frame one sector. Header-only, so that the
// tools writing sheets and the library reading them cannot disagree.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace discread {

constexpr std::int64_t SectorsPerSecond = 75;
// Three digits of minutes: more than any disc, less than any overflow.
constexpr std::int64_t MaxCdTimeMinutes = 999;

enum class CdTimeFault {
    None,
    NotATime,   // not three groups of digits between colons
    NoSuchTime, // seconds past 59, frames past 74, minutes past 999
};

struct CdTime {
    std::int64_t Sectors = 0;
    CdTimeFault Fault = CdTimeFault::None;
};

// Reads "mm:ss:ff"; each part is one or more decimal digits, nothing else.
[[nodiscard]] inline CdTime ParseCdTime(std::string_view Text) {
    std::int64_t parts[3] = {0, 0, 0};
    const char* at = Text.data();
    const char* const end = Text.data() + Text.size();
    for (int i = 0; i < 3; ++i) {
        // from_chars takes a minus sign for signed types; a time has none.
        if (at == end || *at < '0' || *at > '9') {
            return {0, CdTimeFault::NotATime};
        }
        const auto [next, error] = std::from_chars(at, end, parts[i]);
        if (error == std::errc::result_out_of_range) {
            return {0, CdTimeFault::NoSuchTime};
        }
        if (error != std::errc() || (i < 2 ? next == end || *next != ':' : next != end)) {
            return {0, CdTimeFault::NotATime};
        }
        at = next + 1;
    }
    if (parts[0] > MaxCdTimeMinutes || parts[1] > 59 || parts[2] >= SectorsPerSecond) {
        return {0, CdTimeFault::NoSuchTime};
    }
    return {(parts[0] * 60 + parts[1]) * SectorsPerSecond + parts[2], CdTimeFault::None};
}

// Sectors as "mm:ss:ff", two digits at least in each part.
[[nodiscard]] inline std::string FormatCdTime(std::int64_t Sectors) {
    char text[32];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld",
                  static_cast<long long>(Sectors / SectorsPerSecond / 60),
                  static_cast<long long>(Sectors / SectorsPerSecond % 60),
                  static_cast<long long>(Sectors % SectorsPerSecond));
    return text;
}

} // namespace discread
