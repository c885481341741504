#pragma once

#include "cdin/cd_format.h"
#include "pipeline/audio_converter.h"

namespace kestrune {

// A stage that takes CD audio (16-bit stereo, 44100 Hz) and hands on CD
// audio: the format, and the steps of opening and closing its input, which
// every such stage takes alike.
class TCDPassThrough : public TAudioConverter {
public:
    using TAudioConverter::TAudioConverter;

    int GetBitsPerSample() override { return CDBitsPerSample; }
    int GetChannels() override { return CDChannels; }
    int GetSampleRate() override { return CDSampleRate; }

protected:
    // The input to open; raises "The component is busy", or NoInput when the
    // stage has none.
    TAudioInput& InputToOpen(const char* NoInput);
    // After Input was opened: the stage is open over its size, at its start.
    void OpenedOver(TAudioInput& Input);
    // Closes the input, if there is one; the stage is closed.
    void CloseInput();
};

} // namespace kestrune
