#include "cdin/cd_deemphasis.h"

#include "cdin/cd_in.h"
#include "cdin/discread_binding.h"
#include "cdin/track_feed.h"
#include "pipeline/audio_exception.h"

#include <algorithm>

namespace kestrune {

namespace {

constexpr std::uint8_t PreEmphasisBit = 0x01;

// The source behind Input: stages that pass the audio on unchanged (a
// checksum, say) may stand between it and this stage.
const TAudioInput* AudioSource(const TAudioInput* Input) {
    while (const auto* const stage = dynamic_cast<const TAudioConverter*>(Input)) {
        Input = stage->Input();
    }
    return Input;
}

} // namespace

void TCDDeemphasis::OpenSource() {
    TAudioInput* const input = &InputToOpen("The de-emphasis stage has no input");
    input->OpenSource();
    // The CD source has just read the table; its start track's entry tells.
    // A track handed over by a continuous read carries its entry's flag.
    const TAudioInput* const source = AudioSource(input);
    const auto* const cd = dynamic_cast<const TCDIn*>(source);
    const auto* const feed = dynamic_cast<const TTrackFeed*>(source);
    const bool emphasised = (cd != nullptr && RipLibraryLoaded() &&
                             (ReadTocEntry(cd->StartTrack() - 1).Flag & PreEmphasisBit) != 0) ||
                            (feed != nullptr && (feed->Flag() & PreEmphasisBit) != 0);
    FFiltering = !FKeepEmphasis && emphasised;
    FFilter.Reset();
    FCarry.clear();
    OpenedOver(*input);
}

std::int32_t TCDDeemphasis::ReadBlock(std::span<std::byte> Buffer) {
    if (!Busy()) {
        throw EAudioException("The Stream is not opened");
    }
    // ReadInput holds InputInUse for each read, so a source swapped out
    // meanwhile is never read after it is gone.
    std::int32_t count = 0;
    if (!FFiltering) {
        count = ReadInput(Buffer);
    } else {
        // A byte held back from the last block goes first.
        std::size_t carried = FCarry.size();
        if (Buffer.size() <= carried) {
            return 0;
        }
        std::copy(FCarry.begin(), FCarry.end(), Buffer.begin());
        FCarry.clear();
        for (;;) {
            const std::int32_t read = ReadInput(Buffer.subspan(carried));
            const std::size_t available = carried + static_cast<std::size_t>(std::max(read, 0));
            if (read <= 0) {
                // The end: an odd last byte has no partner and goes as it is.
                count = static_cast<std::int32_t>(available);
                break;
            }
            const std::size_t done = FFilter.Process(Buffer.first(available));
            if (done > 0) {
                FCarry.assign(Buffer.begin() + static_cast<std::ptrdiff_t>(done),
                              Buffer.begin() + static_cast<std::ptrdiff_t>(available));
                count = static_cast<std::int32_t>(done);
                break;
            }
            // One byte alone is no sample: 0 would end the stream, so read on.
            carried = available;
        }
    }
    FPosition += count;
    return count;
}

void TCDDeemphasis::CloseSource() {
    CloseInput();
    FFiltering = false;
}

} // namespace kestrune
