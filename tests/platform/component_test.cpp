#include "platform/component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kestrune {
namespace {

// Records its own destruction, the removals it hears of and its Loaded call.
class TProbe : public TComponent {
public:
    TProbe(TComponent* AOwner, std::string AName, std::vector<std::string>& ALog)
        : TComponent(AOwner), Log(ALog) {
        SetName(std::move(AName));
    }
    ~TProbe() override { Log.push_back("destroy " + Name()); }

    TComponent* Watched = nullptr;
    bool WasLoading = false;

protected:
    void Notification(TComponent& AComponent, TOperation Operation) override {
        if (Operation == TOperation::opRemove && &AComponent == Watched) {
            Log.push_back(Name() + " hears " + AComponent.Name() + " go");
            Watched = nullptr;
        }
        TComponent::Notification(AComponent, Operation);
    }
    void Loaded() override {
        WasLoading = Loading();
        TComponent::Loaded();
        Log.push_back("loaded " + Name());
    }

private:
    std::vector<std::string>& Log;
};

TEST(ComponentOwnership, OwnerFreesWhatItOwnsInReverseOrderOfCreation) {
    std::vector<std::string> log;
    {
        TComponent form;
        TComponent::Create<TProbe>(form, "first", log);
        auto& second = TComponent::Create<TProbe>(form, "second", log);
        TComponent::Create<TProbe>(second, "grandchild", log);
        TComponent::Create<TProbe>(form, "third", log);
        EXPECT_EQ(form.ComponentCount(), 3);
        EXPECT_EQ(second.Owner(), &form);
    }
    const std::vector<std::string> expected{"destroy third", "destroy second", "destroy grandchild",
                                            "destroy first"};
    EXPECT_EQ(log, expected);
}

TEST(ComponentOwnership, DestroyComponentFreesOnlyThatOne) {
    std::vector<std::string> log;
    TComponent form;
    TComponent::Create<TProbe>(form, "a", log);
    auto& b = TComponent::Create<TProbe>(form, "b", log);
    form.DestroyComponent(b);
    EXPECT_EQ(log, std::vector<std::string>{"destroy b"});
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0).Name(), "a");
    TComponent stranger;
    EXPECT_THROW(form.DestroyComponent(stranger), std::invalid_argument);
}

TEST(ComponentRemoval, InterestedComponentHearsBeforeTheOtherIsDestroyed) {
    std::vector<std::string> log;
    TComponent form;
    auto& sink = TComponent::Create<TProbe>(form, "sink", log);
    auto& source = TComponent::Create<TProbe>(form, "source", log);
    sink.Watched = &source;
    sink.FreeNotification(source);
    form.DestroyComponent(source);
    EXPECT_EQ(sink.Watched, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"sink hears source go", "destroy source"}));
}

TEST(ComponentRemoval, InterestIsDroppedWhenTheInterestedOneGoesFirst) {
    std::vector<std::string> log;
    auto source = MakeComponent<TProbe>("source", log);
    {
        auto sink = MakeComponent<TProbe>("sink", log);
        sink->Watched = source.get();
        sink->FreeNotification(*source);
    }
    // Destroying the source must not call the sink that is already gone (ASan
    // would see the use after free).
    source.reset();
    EXPECT_EQ(log, (std::vector<std::string>{"destroy sink", "destroy source"}));
}

TEST(ComponentRemoval, RemovedInterestIsNotNotified) {
    std::vector<std::string> log;
    auto sink = MakeComponent<TProbe>("sink", log);
    auto source = MakeComponent<TProbe>("source", log);
    sink->Watched = source.get();
    sink->FreeNotification(*source);
    sink->RemoveFreeNotification(*source);
    source.reset();
    EXPECT_NE(sink->Watched, nullptr);
    EXPECT_EQ(log, std::vector<std::string>{"destroy source"});
}

TEST(ComponentLoading, LoadedReachesEveryOwnedComponentInCreationOrder) {
    std::vector<std::string> log;
    TComponent form;
    auto& a = TComponent::Create<TProbe>(form, "a", log);
    auto& b = TComponent::Create<TProbe>(form, "b", log);
    form.BeginLoading();
    EXPECT_TRUE(a.Loading());
    form.LoadedComponents();
    EXPECT_EQ(log, (std::vector<std::string>{"loaded a", "loaded b"}));
    EXPECT_TRUE(a.WasLoading);
    EXPECT_FALSE(a.Loading());
    EXPECT_FALSE(b.Loading());
}

} // namespace
} // namespace kestrune
