#pragma once

#include "cdin/cd_format.h"
#include "cdin/cd_pass_through.h"
#include "tools/kestrune-rip/gated_loudness.h"
#include "tools/kestrune-rip/track_tags.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

namespace kestrune::rip {

// Passes CD audio (16-bit stereo, 44100 Hz) through unchanged and measures
// its loudness as EBU R 128 does, on the way, so the figures cost no second
// pass. The measuring runs on a thread of its own: the reader only hands the
// blocks over, gathered to about a second of audio (so the thread wakes once
// a second, not once a block), and a rip that keeps one core busy encoding is
// not slowed by it.
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
    void MeasureHandedOver(const std::stop_token& Stop);
    // On the reading thread: what was gathered goes to the measuring thread.
    void HandOver();
    void Measure(std::vector<std::byte>& Bytes);
    // With FLock held: waits until every block handed over is measured.
    void WaitMeasured(std::unique_lock<std::mutex>& Lock) const;
    double Peak() const;

    mutable std::mutex FLock;
    mutable std::condition_variable FChanged;
    std::deque<std::vector<std::byte>> FHandedOver;
    std::vector<std::byte> FGathered;           // the reading thread's, not yet handed over
    std::vector<std::vector<std::byte>> FSpare; // measured batches, their room kept
    bool FMeasuring = false;                    // a block taken off the queue is being measured
    GatedLoudness FLoudness;
    std::vector<std::byte> FCarry;
    std::vector<short> FSamples; // kept from block to block: no allocation each time
    int FPeak = 0;               // the largest sample's size, 32768 at most
    bool FHeard = false;
    std::jthread FMeasurer; // last: it goes first, while the rest still exists
};

} // namespace kestrune::rip
