#pragma once

#include <cstdint>

namespace discread {

// What a reading does with a sector that cannot be read: fail at its chunk, or
// hand it out as silence, noted, and go on.
enum class UnreadableSectors { Fail, AsSilence };

// What the caller chose for the readings it opens.
struct ReadChoices {
    UnreadableSectors Unreadable = UnreadableSectors::Fail;
    // The drive's read offset in samples: output sample k is the drive's
    // sample k + OffsetSamples.
    std::int32_t OffsetSamples = 0;
    // Whether what the offset moves in from outside the disc is read from the
    // drive's lead-in and lead-out (where it can) rather than silence.
    bool Overread = false;
    // The largest offset taken: a second of audio either way.
    static constexpr std::int32_t MaxOffsetSamples = 44100;
};

} // namespace discread
