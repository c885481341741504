#pragma once

#include "pipeline/audio_input.h"
#include "tests/support/gate.h"

#include <atomic>
#include <cstdint>

namespace kestrune::test {

// A source of TotalBytes bytes of a known pattern (byte i is i mod 251), with
// switches for the failures a real source can have.
class TTestSource : public TAudioInput {
public:
    explicit TTestSource(TComponent* AOwner, std::int32_t ATotalBytes = 16 * 16384)
        : TAudioInput(AOwner), TotalBytes(ATotalBytes) {}

    static std::byte PatternAt(std::int64_t Index) { return static_cast<std::byte>(Index % 251); }

    int GetBitsPerSample() override { return 16; }
    int GetChannels() override { return Channels; }
    int GetSampleRate() override { return 44100; }
    std::int32_t ReadBlock(std::span<std::byte> Buffer) override;
    void OpenSource() override;
    void CloseSource() override;

    // Sets the counters as if reading had got this far.
    void SetCounters(std::int32_t APosition, std::int32_t ASize) {
        FPosition = APosition;
        FSize = ASize;
    }

    std::int32_t TotalBytes;
    int Channels = 2;
    bool KnowsSize = true; // else Size reads -1 while open
    bool FailOpen = false;
    bool FailClose = false;
    std::int32_t FailAtPosition = -1; // a read starting here raises
    Gate* ReadGate = nullptr;         // every read passes it first

    std::atomic<int> Opens{0};
    std::atomic<int> Closes{0};
};

} // namespace kestrune::test
