#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kestrune {

// The de-emphasis a CD player applies to a track mastered with pre-emphasis:
// the 50/15 µs shelf, 0 dB at low frequencies falling to -10.5 dB at the top.
// A first-order filter whose pole and zero are the analog ones mapped by
// z = exp(sT) (within 0.22 dB of the analog curve up to 16 kHz at 44100 Hz),
// scaled to 0 dB at DC. Its impulse response is all positive, so its output
// never exceeds the input's range.
class DeemphasisFilter {
public:
    explicit DeemphasisFilter(double SampleRate = 44100.0);

    // Filters interleaved 16-bit little-endian stereo PCM in place. Blocks may
    // end inside a sample: the odd byte is held back and Process returns how
    // many bytes at the front of Bytes are final; the rest come with the next
    // block.
    std::size_t Process(std::span<std::byte> Bytes);
    // Forgets the history, for a new stream.
    void Reset();

private:
    std::int16_t Filter(std::int16_t Sample);

    double FB0 = 1;
    double FB1 = 0;
    double FA1 = 0;
    double FInput[2] = {0, 0};
    double FOutput[2] = {0, 0};
    std::size_t FChannel = 0;
};

} // namespace kestrune
