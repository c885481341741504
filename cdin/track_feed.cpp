#include "cdin/track_feed.h"

#include "pipeline/audio_exception.h"

#include <algorithm>
#include <cstring>

namespace kestrune {

TTrackFeed::TTrackFeed(TComponent* AOwner, std::int32_t ABytes, std::uint8_t AFlag,
                       FeedBudget& ABudget, bool AReadsOutput)
    : TAudioInput(AOwner), FBytes(ABytes), FFlag(AFlag), FBudget(ABudget),
      FReadsOutput(AReadsOutput) {}

bool TTrackFeed::Put(std::span<const std::byte> Bytes) {
    {
        const std::lock_guard lock(FLock);
        if (FClosed || FEnded) {
            return false;
        }
    }
    // Waited for outside the lock: the sink must be able to read meanwhile.
    if (!FBudget.Take(Bytes.size())) {
        return false;
    }
    {
        const std::lock_guard lock(FLock);
        if (!FClosed && !FEnded) {
            FChunks.emplace_back(Bytes.begin(), Bytes.end());
            FReceived += static_cast<std::int32_t>(Bytes.size());
            FChanged.notify_all();
            return true;
        }
    }
    FBudget.Give(Bytes.size());
    return false;
}

void TTrackFeed::Fail(std::string Why) {
    const std::lock_guard lock(FLock);
    FError = std::move(Why);
    FChanged.notify_all();
}

void TTrackFeed::EndEarly() {
    const std::lock_guard lock(FLock);
    FEnded = true;
    FChanged.notify_all();
}

void TTrackFeed::OpenSource() {
    if (Busy()) {
        throw EAudioException("The component is busy");
    }
    FSize = FBytes;
    FPosition = 0;
    FBusy = true;
}

std::int32_t TTrackFeed::ReadBlock(std::span<std::byte> Buffer) {
    if (!Busy()) {
        throw EAudioException("The Stream is not opened");
    }
    std::unique_lock lock(FLock);
    FChanged.wait(lock,
                  [&] { return !FChunks.empty() || FError || FEnded || FReceived >= FBytes; });
    if (FChunks.empty()) {
        // What was read before a failure has gone to the sink already; the
        // track is not whole, and the sink must say so.
        if (FError && FReceived < FBytes) {
            throw EAudioException(*FError);
        }
        return 0;
    }
    std::size_t copied = 0;
    while (copied < Buffer.size() && !FChunks.empty()) {
        const std::vector<std::byte>& chunk = FChunks.front();
        const std::size_t count = std::min(Buffer.size() - copied, chunk.size() - FFirstUsed);
        std::memcpy(Buffer.data() + copied, chunk.data() + FFirstUsed, count);
        copied += count;
        FFirstUsed += count;
        if (FFirstUsed == chunk.size()) {
            const std::size_t held = chunk.size();
            FChunks.pop_front();
            FFirstUsed = 0;
            FBudget.Give(held);
        }
    }
    FPosition += static_cast<std::int32_t>(copied);
    return static_cast<std::int32_t>(copied);
}

void TTrackFeed::Drop(std::unique_lock<std::mutex>& Lock) {
    std::size_t held = 0;
    for (const auto& chunk : FChunks) {
        held += chunk.size();
    }
    FChunks.clear();
    FFirstUsed = 0;
    Lock.unlock();
    FBudget.Give(held);
}

void TTrackFeed::CloseSource() {
    std::unique_lock lock(FLock);
    FClosed = true;
    FChanged.notify_all();
    Drop(lock);
    FBusy = false;
    FSize = 0;
}

bool TTrackFeed::ReadsFile(const std::string&) {
    return FReadsOutput;
}

} // namespace kestrune
