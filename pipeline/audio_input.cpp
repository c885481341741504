#include "pipeline/audio_input.h"

#include <exception>

namespace kestrune {

void TAudioInput::CloseQuietly() {
    try {
        CloseSource();
    } catch (const std::exception&) {
        // Quiet by contract: callers use it where a close error has no one to go to.
    }
    FBusy = false;
}

bool TAudioInput::ReadsFile(const std::string&) {
    return false;
}

} // namespace kestrune
