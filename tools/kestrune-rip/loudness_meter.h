#pragma once

#include "cdin/cd_format.h"
#include "cdin/cd_pass_through.h"
#include "tools/kestrune-rip/batch_worker.h"
#include "tools/kestrune-rip/gated_loudness.h"
#include "tools/kestrune-rip/track_tags.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace kestrune::rip {

// Passes CD audio (16-bit stereo, 44100 Hz) through unchanged and measures
// its loudness as EBU R 128 does, on the way, so the figures cost no second
// pass. The measuring runs on a thread of its own (a BatchWorker): a rip that
// keeps one core busy encoding is not slowed by it.
// A block may end inside a sample: the bytes of that sample wait for the next
// block. Each reading is measured anew.
class TLoudnessMeter : public TCDPassThrough {
public:
    explicit TLoudnessMeter(TComponent* AOwner = nullptr);
    ~TLoudnessMeter() override;

    std::int32_t ReadBlock(std::span<std::byte> Buffer) override;
    void OpenSource() override;
    void CloseSource() override;

    // The figures of what the last reading passed through; none before any
    // audio or for silence, which no gain brings to the reference.
    std::optional<ReplayGain> TrackGain() const;
    // The figures of several tracks taken as one album.
    static std::optional<ReplayGain> AlbumGain(const std::vector<const TLoudnessMeter*>& Tracks);

private:
    // On the measuring thread.
    void Measure(std::span<const std::byte> Bytes);
    double Peak() const;

    // The measuring thread's, read by others once FMeasurer.WaitDone() returns.
    GatedLoudness FLoudness;
    std::vector<std::byte> FCarry;
    std::vector<short> FSamples; // kept from block to block: no allocation each time
    int FPeak = 0;               // the largest sample's size, 32768 at most
    bool FHeard = false;
    BatchWorker FMeasurer; // last: it goes first, while the rest still exists
};

} // namespace kestrune::rip
