#include "pipeline/audio_converter.h"

#include "pipeline/replace_input.h"

#include <exception>

namespace kestrune {

void TAudioConverter::SetInput(TAudioInput* Value) {
    if (Value == this) {
        return;
    }
    ReplaceInput(*this, FInput, FInputInUse, Value, Busy());
}

void TAudioConverter::UnlockInputChain() {
    FInputInUse.unlock();
    if (auto* const next = dynamic_cast<TAudioConverter*>(Input())) {
        next->UnlockInputChain();
    }
}

bool TAudioConverter::ReadsFile(const std::string& Path) {
    TAudioInput* const input = Input();
    return input != nullptr && input->ReadsFile(Path);
}

void TAudioConverter::Notification(TComponent& AComponent, TOperation Operation) {
    if (Operation == TOperation::opRemove && &AComponent == Input()) {
        try {
            SetInput(nullptr);
        } catch (const std::exception&) {
            // The source is going away; the next read through this converter fails.
        }
    }
    TAudioInput::Notification(AComponent, Operation);
}

} // namespace kestrune
