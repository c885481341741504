#include "tests/support/event_log.h"
#include "tests/support/pump.h"
#include "tests/support/test_converter.h"
#include "tests/support/test_sink.h"
#include "tests/support/test_source.h"

#include <gtest/gtest.h>

namespace kestrune::test {
namespace {

TEST(Converter, NeverTakesItselfAsInput) {
    auto source = MakeComponent<TTestSource>();
    auto converter = MakeComponent<TTestConverter>();
    converter->SetInput(source.get());
    converter->SetInput(converter.get());
    EXPECT_EQ(converter->Input(), source.get());
}

TEST(Converter, DestroyingTheSourceOfAnIdleConverterClearsInput) {
    TComponent form;
    auto& source = TComponent::Create<TTestSource>(form);
    auto& converter = TComponent::Create<TTestConverter>(form);
    converter.SetInput(&source);
    form.DestroyComponent(source);
    EXPECT_EQ(converter.Input(), nullptr);
}

// source <- third <- second <- first <- sink
struct Chain {
    Chain() {
        third->SetInput(source.get());
        second->SetInput(third.get());
        first->SetInput(second.get());
    }
    ComponentPtr<TTestSource> source = MakeComponent<TTestSource>(6 * 16384);
    ComponentPtr<TTestConverter> third = MakeComponent<TTestConverter>();
    ComponentPtr<TTestConverter> second = MakeComponent<TTestConverter>();
    ComponentPtr<TTestConverter> first = MakeComponent<TTestConverter>();
};

TEST(Converter, FailedRunThroughAChainReleasesTheChainForTheNextRun) {
    Chain chain;
    chain.source->FailAtPosition = 2 * 16384;
    auto sink = MakeComponent<TTestSink>();
    EventLog events;
    events.Attach(*sink);
    sink->SetInput(chain.first.get());

    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return !events.Errors().empty(); }));
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"test source failed at 32768"});
    EXPECT_FALSE(chain.first->InputInUse());
    EXPECT_FALSE(chain.second->InputInUse());
    EXPECT_FALSE(chain.third->InputInUse());
    EXPECT_FALSE(chain.source->Busy());

    chain.source->FailAtPosition = -1;
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return events.Done() == 1; }));
    EXPECT_EQ(sink->ReceivedBytes(), 8u * 16384);
}

} // namespace
} // namespace kestrune::test
