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
    // The destination of the current run.
    std::unique_ptr<platform::OutputStream> Stream;
};

} // namespace kestrune
