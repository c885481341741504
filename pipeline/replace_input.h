#pragma once

#include "pipeline/audio_input.h"
#include "pipeline/in_use_flag.h"

#include <atomic>

namespace kestrune {

// Points a stage (Holder) at a new source. While the stage is not Running the
// reference is just stored. During a run the new source is opened first, the
// reference is swapped while InUse is held (so no block read sees half of it),
// and the old source is closed last. Holder's interest moves to the new source.
void ReplaceInput(TComponent& Holder, std::atomic<TAudioInput*>& Slot, InUseFlag& InUse,
                  TAudioInput* Value, bool Running);

} // namespace kestrune
