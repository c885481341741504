#pragma once

#include "pipeline/audio_output.h"
#include "platform/output_stream.h"

#include <memory>

namespace kestrune {

// A sink that writes its result to a stream.
class TAudioStreamedOutput : public TAudioOutput {
public:
    using TAudioOutput::TAudioOutput;

protected:
    // The destination; owned by the sink unless StreamSupplied.
    std::unique_ptr<platform::OutputStream> Stream;
    // The stream came from outside, so the sink neither creates nor frees it.
    // Nothing sets it yet.
    bool StreamSupplied = false;
};

} // namespace kestrune
