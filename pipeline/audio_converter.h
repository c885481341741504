#pragma once

#include "pipeline/audio_input.h"
#include "pipeline/in_use_flag.h"

namespace kestrune {

// A source that takes its data from another source: a filter stage in front of
// a sink. Concrete converters read from Input while holding InputInUse.
class TAudioConverter : public TAudioInput {
public:
    using TAudioInput::TAudioInput;

    TAudioInput* Input() const { return FInput.load(std::memory_order_acquire); }
    // A converter never feeds itself; during a reading pass the new source is
    // opened before the old one is closed.
    virtual void SetInput(TAudioInput* Value);

    // Releases InputInUse here and down the chain to the first source that is
    // not a converter, after a failed run.
    void UnlockInputChain();

    // A converter reads what its input reads.
    bool ReadsFile(const std::string& Path) override;

    bool InputInUse() const { return FInputInUse.held(); }

protected:
    void Notification(TComponent& AComponent, TOperation Operation) override;

    InUseFlag FInputInUse;

private:
    std::atomic<TAudioInput*> FInput{nullptr};
};

} // namespace kestrune
