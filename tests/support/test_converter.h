#pragma once

#include "pipeline/audio_converter.h"
#include "pipeline/audio_exception.h"

namespace kestrune::test {

// Passes its source's PCM through unchanged.
class TTestConverter : public TAudioConverter {
public:
    using TAudioConverter::TAudioConverter;

    int GetBitsPerSample() override { return 16; }
    int GetChannels() override { return 2; }
    int GetSampleRate() override { return 44100; }

    // The flag stays taken when the read fails, as with a stage interrupted
    // halfway: releasing it is the failed sink's clean-up.
    std::int32_t ReadBlock(std::span<std::byte> Buffer) override {
        FInputInUse.lock();
        if (Input() == nullptr) {
            throw EAudioException("test converter has no input");
        }
        const std::int32_t count = Input()->ReadBlock(Buffer);
        FInputInUse.unlock();
        FPosition += count;
        return count;
    }
    void OpenSource() override {
        Input()->OpenSource();
        FSize = Input()->Size();
        FPosition = 0;
        FBusy = true;
    }
    void CloseSource() override {
        if (Input() != nullptr) {
            Input()->CloseSource();
        }
        FBusy = false;
        FSize = 0;
    }

    // Takes the flag as a reader that failed halfway would leave it.
    void HoldInputInUse() { FInputInUse.lock(); }
};

} // namespace kestrune::test
