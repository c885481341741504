#include "pipeline/replace_input.h"

namespace kestrune {

void ReplaceInput(TComponent& Holder, std::atomic<TAudioInput*>& Slot, InUseFlag& InUse,
                  TAudioInput* Value, bool Running) {
    TAudioInput* const old = Slot.load();
    if (Value == old) {
        return;
    }
    if (!Running) {
        Slot = Value;
    } else {
        if (Value != nullptr) {
            Value->OpenSource();
        }
        const InUseFlag::Hold hold(InUse);
        Slot = Value;
    }
    if (old != nullptr) {
        Holder.RemoveFreeNotification(*old);
    }
    if (Value != nullptr) {
        Holder.FreeNotification(*Value);
    }
    if (old != nullptr && Running) {
        old->CloseSource();
    }
}

} // namespace kestrune
