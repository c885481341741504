#pragma once

#include "cdin/feed_budget.h"
#include "pipeline/audio_input.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

// The source of one track's audio that another thread reads off the disc: a
// continuous read of several tracks hands each its bytes, and each track's
// sink encodes them on a worker of its own.
//
// The reader calls Put, Fail and nothing else; the sink's worker reads; the
// main thread opens and closes. A read waits until bytes come, the track is
// whole, its reading failed (the read raises the reader's message) or the
// feed was ended early (a stop: the read gives the end).
class TTrackFeed : public TAudioInput {
public:
    // Bytes: the track's length; Flag: its table entry's flag (pre-emphasis);
    // ReadsOutput: whether the file the sink is to write is one the disc's
    // source reads (asked of it before the reading began).
    TTrackFeed(TComponent* AOwner, std::int32_t ABytes, std::uint8_t AFlag, FeedBudget& ABudget,
               bool AReadsOutput);

    std::uint8_t Flag() const { return FFlag; }

    // The reader's side. Put waits while the budget is spent; it returns false
    // once nobody reads this track any more (its sink closed the feed, or the
    // run ended): the reader then skips the rest of it.
    [[nodiscard]] bool Put(std::span<const std::byte> Bytes);
    void Fail(std::string Why);
    // The stop's side: the sink's next read that finds nothing waiting ends
    // its track where it is.
    void EndEarly();

    int GetBitsPerSample() override { return 16; }
    int GetChannels() override { return 2; }
    int GetSampleRate() override { return 44100; }
    std::int32_t ReadBlock(std::span<std::byte> Buffer) override;
    void OpenSource() override;
    void CloseSource() override;
    bool ReadsFile(const std::string& Path) override;

private:
    void Drop(std::unique_lock<std::mutex>& Lock);

    const std::int32_t FBytes;
    const std::uint8_t FFlag;
    FeedBudget& FBudget;
    const bool FReadsOutput;

    std::mutex FLock;
    std::condition_variable FChanged;
    std::deque<std::vector<std::byte>> FChunks;
    std::size_t FFirstUsed = 0; // bytes of the first chunk already read
    std::int32_t FReceived = 0;
    std::optional<std::string> FError;
    bool FEnded = false;
    bool FClosed = false;
};

} // namespace kestrune
