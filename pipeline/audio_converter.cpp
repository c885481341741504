#include "pipeline/audio_converter.h"

#include "pipeline/audio_exception.h"
#include "pipeline/replace_input.h"

#include <exception>

namespace kestrune {

void TAudioConverter::SetInput(TAudioInput* Value) {
    if (Value == this) {
        return;
    }
    ReplaceInput(*this, FInput, FInputInUse, Value, Busy());
}

std::int32_t TAudioConverter::ReadInput(std::span<std::byte> Buffer) {
    const InUseFlag::Hold hold(FInputInUse);
    TAudioInput* const source = Input();
    if (source == nullptr) {
        throw EAudioException("The input was removed during the run");
    }
    return source->ReadBlock(Buffer);
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
