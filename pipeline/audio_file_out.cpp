#include "pipeline/audio_file_out.h"

namespace kestrune {

void TAudioFileOut::SetFileMode(TFileOutputMode) {
    FFileMode = TFileOutputMode::foRewrite;
}

} // namespace kestrune
