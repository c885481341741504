#pragma once

#include "pipeline/audio_input.h"
#include "pipeline/in_use_flag.h"

namespace kestrune {

// A source that takes its data from another source: a filter stage in front of
// a sink. Concrete converters read from Input through ReadInput.
class TAudioConverter : public TAudioInput {
public:
    using TAudioInput::TAudioInput;

    TAudioInput* Input() const { return FInput.load(std::memory_order_acquire); }
    // A converter never feeds itself; during a reading pass the new source is
    // opened before the old one is closed.
    virtual void SetInput(TAudioInput* Value);

    // A converter reads what its input reads.
    bool ReadsFile(const std::string& Path) override;

    bool InputInUse() const { return FInputInUse.held(); }

protected:
    void Notification(TComponent& AComponent, TOperation Operation) override;

    // Reads one block from Input while holding InputInUse, which a concrete
    // converter never takes itself. Raises when there is no Input.
    std::int32_t ReadInput(std::span<std::byte> Buffer);

private:
    InUseFlag FInputInUse;
    std::atomic<TAudioInput*> FInput{nullptr};
};

} // namespace kestrune
