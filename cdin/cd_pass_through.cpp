#include "cdin/cd_pass_through.h"

#include "pipeline/audio_exception.h"

namespace kestrune {

TAudioInput& TCDPassThrough::InputToOpen(const char* NoInput) {
    if (Busy()) {
        throw EAudioException("The component is busy");
    }
    TAudioInput* const input = Input();
    if (input == nullptr) {
        throw EAudioException(NoInput);
    }
    return *input;
}

void TCDPassThrough::OpenedOver(TAudioInput& Input) {
    FSize = Input.Size();
    FPosition = 0;
    FBusy = true;
}

void TCDPassThrough::CloseInput() {
    if (TAudioInput* const input = Input()) {
        input->CloseSource();
    }
    FBusy = false;
    FSize = 0;
}

} // namespace kestrune
