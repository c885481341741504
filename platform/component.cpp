#include "platform/component.h"

#include <algorithm>
#include <stdexcept>

namespace kestrune {

TComponent::~TComponent() {
    // Normally done already by whoever deleted this component; a component
    // destroyed any other way still clears the references to it.
    NotifyRemoval();
    while (!FComponents.empty()) {
        // Moved out first so the owned component is no longer listed while it dies.
        std::unique_ptr<TComponent> last = std::move(FComponents.back());
        FComponents.pop_back();
        last->NotifyRemoval();
        last.reset();
    }
}

void TComponent::NotifyRemoval() noexcept {
    while (!FFreeNotifies.empty()) {
        TComponent* const other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        other->DropInterest(*this);
        other->Notification(*this, TOperation::opRemove);
    }
}

void TComponent::InsertComponent(std::unique_ptr<TComponent> AComponent) {
    if (!AComponent) {
        throw std::invalid_argument("no component to insert");
    }
    AComponent->FOwner = this;
    FComponents.push_back(std::move(AComponent));
}

void TComponent::DestroyComponent(TComponent& AComponent) {
    const auto found = std::find_if(FComponents.begin(), FComponents.end(),
                                    [&](const auto& owned) { return owned.get() == &AComponent; });
    if (found == FComponents.end()) {
        throw std::invalid_argument("component is not owned here");
    }
    std::unique_ptr<TComponent> doomed = std::move(*found);
    FComponents.erase(found);
    doomed->NotifyRemoval();
    doomed.reset();
}

void TComponent::FreeNotification(TComponent& AComponent) {
    if (&AComponent == this) {
        return;
    }
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), &AComponent) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(&AComponent);
    }
    if (std::find(AComponent.FFreeNotifies.begin(), AComponent.FFreeNotifies.end(), this) ==
        AComponent.FFreeNotifies.end()) {
        AComponent.FFreeNotifies.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent& AComponent) {
    DropInterest(AComponent);
    AComponent.DropInterest(*this);
}

void TComponent::DropInterest(TComponent& AComponent) {
    std::erase(FFreeNotifies, &AComponent);
}

void TComponent::BeginLoading() {
    FLoading = true;
    for (const auto& owned : FComponents) {
        owned->BeginLoading();
    }
}

void TComponent::LoadedComponents() {
    for (const auto& owned : FComponents) {
        owned->Loaded();
    }
}

void TComponent::Notification(TComponent&, TOperation) {}

} // namespace kestrune
