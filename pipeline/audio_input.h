#pragma once

#include "platform/component.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kestrune {

// A source: delivers interleaved 16-bit PCM in byte blocks between OpenSource
// and CloseSource.
//
// The contract every source keeps: OpenSource computes Size, sets Position to 0
// and sets Busy, or raises EAudioException and leaves Busy clear; ReadBlock
// copies up to Buffer.size() bytes, adds the count to Position and returns it
// (0 is the end), and raises EAudioException when the source is not open;
// CloseSource releases what the open source holds and clears Busy, and may be
// called when it is not open. The format queries may be called at any time.
//
// Position and Size are read by the sink's worker while the main thread may look
// at them too, so they are atomic.
class TAudioInput : public TComponent {
public:
    explicit TAudioInput(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    virtual int GetBitsPerSample() = 0;
    virtual int GetChannels() = 0;
    virtual int GetSampleRate() = 0;
    virtual int GetAuxValue() { return 0; }
    virtual std::int32_t ReadBlock(std::span<std::byte> Buffer) = 0;
    // Closes the source and forgets any error doing so.
    virtual void CloseQuietly();
    virtual void OpenSource() = 0;
    virtual void CloseSource() = 0;
    // Whether Path names a file this source reads its audio from (a disc image,
    // say): a sink refuses to write over it.
    virtual bool ReadsFile(const std::string& Path);

    // Bytes delivered since the source was opened.
    std::int32_t Position() const { return FPosition.load(std::memory_order_relaxed); }
    // Bytes the source delivers between open and close; -1 when it cannot tell,
    // 0 while it is closed.
    std::int32_t Size() const { return FSize.load(std::memory_order_relaxed); }
    bool Busy() const { return FBusy.load(std::memory_order_acquire); }
    std::int32_t ChunkStart() const { return FChunkStart; }
    std::int32_t ChunkEnd() const { return FChunkEnd; }

protected:
    std::atomic<std::int32_t> FPosition{0};
    std::atomic<std::int32_t> FSize{0};
    std::atomic<bool> FBusy{false};
    // For sources that serve reads from a chunk buffer of their own: the 1-based
    // index of the next unread byte, and of the last valid one. The buffer is used
    // up when ChunkEnd < ChunkStart.
    std::int32_t FChunkStart = 0;
    std::int32_t FChunkEnd = 0;
};

} // namespace kestrune
