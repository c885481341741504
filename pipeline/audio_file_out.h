#pragma once

#include "pipeline/audio_streamed_output.h"

#include <string>

namespace kestrune {

enum class TFileOutputMode { foRewrite = 0, foAppend = 1 };

// A streamed sink whose stream is a named file.
//
// File sinks raise "File name is not assigned." from OpenOutput when FileName is
// empty and no stream was supplied, and otherwise create the file anew.
class TAudioFileOut : public TAudioStreamedOutput {
public:
    using TAudioStreamedOutput::TAudioStreamedOutput;

    const std::string& FileName() const { return FFileName; }
    void SetFileName(std::string Value) { FFileName = std::move(Value); }

    // Runs write to the process's standard output, as it was handed over,
    // instead of creating FileName; the name then only stands for it in messages.
    bool ToStandardOutput() const { return FToStandardOutput; }
    void SetToStandardOutput(bool Value) { FToStandardOutput = Value; }

    TFileOutputMode FileMode() const { return FFileMode; }
    // Files are always written anew: appending encoded audio to an existing file
    // would not give a playable file, so every mode is stored as foRewrite.
    virtual void SetFileMode(TFileOutputMode Value);

private:
    std::string FFileName;
    bool FToStandardOutput = false;
    TFileOutputMode FFileMode = TFileOutputMode::foRewrite;
};

} // namespace kestrune
