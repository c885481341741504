#pragma once

// The component base every pipeline part and window part derives from.
//
// A component may own others: it frees them in reverse order of creation when
// it is destroyed. A component that refers to another without owning it (a
// sink's Input) registers interest with FreeNotification and receives
// Notification(other, TOperation::opRemove) before the other is destroyed, so
// the reference can be cleared in time. That notification goes out before any
// destructor of the removed component runs, so whoever is told may still call
// it (a sink closes a source it loses in mid-run): owners, ComponentPtr and
// DestroyComponent all see to it. After the owner has set the stored values of
// its components it calls Loaded on each of them.
//
// Everything here runs on the main thread; the base does no locking.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kestrune {

enum class TOperation { opRemove };

class TComponent;

using TNotifyEvent = std::function<void(TComponent& Sender)>;

class TComponent {
public:
    explicit TComponent(TComponent* AOwner = nullptr) : FOwner(AOwner) {}
    virtual ~TComponent();

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    TComponent(TComponent&&) = delete;
    TComponent& operator=(TComponent&&) = delete;

    // Constructs a T owned by Owner; T's constructor takes the owner first.
    template <class T, class... Args> static T& Create(TComponent& Owner, Args&&... args) {
        auto component = std::make_unique<T>(&Owner, std::forward<Args>(args)...);
        T& result = *component;
        Owner.InsertComponent(std::move(component));
        return result;
    }

    // Takes ownership of a component created elsewhere.
    void InsertComponent(std::unique_ptr<TComponent> AComponent);
    // Destroys one owned component now, before its owner.
    void DestroyComponent(TComponent& AComponent);

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent& Components(int Index) const { return *FComponents.at(Index); }

    const std::string& Name() const { return FName; }
    void SetName(std::string Value) { FName = std::move(Value); }

    // Asks for Notification(this component, opRemove) before AComponent goes.
    // The interest is mutual, so whichever of the two dies first tells the other.
    void FreeNotification(TComponent& AComponent);
    void RemoveFreeNotification(TComponent& AComponent);

    bool Loading() const { return FLoading; }
    // Marks this component and everything it owns as being given its stored values.
    void BeginLoading();
    // Sends Loaded to every owned component, in creation order, after the owner
    // has finished setting their stored values.
    void LoadedComponents();

protected:
    // Called on a component that registered interest in AComponent, or that
    // owns it, before AComponent is destroyed.
    virtual void Notification(TComponent& AComponent, TOperation Operation);
    // Called once the stored values are set.
    virtual void Loaded() { FLoading = false; }

private:
    friend struct ComponentDeleter;

    // Tells everyone interested that this component goes; idempotent.
    void NotifyRemoval() noexcept;
    void DropInterest(TComponent& AComponent);

    TComponent* FOwner;
    std::string FName;
    bool FLoading = false;
    std::vector<std::unique_ptr<TComponent>> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

// Deletes a component that has no owner, after its removal notification.
struct ComponentDeleter {
    void operator()(TComponent* AComponent) const noexcept {
        if (AComponent != nullptr) {
            AComponent->NotifyRemoval();
            delete AComponent;
        }
    }
};

template <class T> using ComponentPtr = std::unique_ptr<T, ComponentDeleter>;

// Constructs a component without an owner.
template <class T, class... Args> ComponentPtr<T> MakeComponent(Args&&... args) {
    return ComponentPtr<T>(new T(nullptr, std::forward<Args>(args)...));
}

} // namespace kestrune
