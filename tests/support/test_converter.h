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

    std::int32_t ReadBlock(std::span<std::byte> Buffer) override {
        const std::int32_t count = ReadInput(Buffer);
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
};

} // namespace kestrune::test
