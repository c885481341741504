#include "platform/entry_points.h"
#include "platform/run_time_library.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

namespace kestrune::platform {
namespace {

constexpr std::array<std::string_view, 3> MathNames{"cos", "no_such_function", "sin"};

// A known name is found while compiling; an unknown one would not compile.
static_assert(IndexOfName(MathNames, "sin") == 2);

TEST(RunTimeLibrary, AnUnknownNameIsAnErrorNotAPlaceBehindTheTable) {
    EXPECT_EQ(IndexOfName(MathNames, std::string("cos")), 0u);
    EXPECT_THROW(IndexOfName(MathNames, std::string("tan")), std::out_of_range);
}

TEST(RunTimeLibrary, ResolvesTheTableInOrderAndIsHeldUntilTheLastUserGoes) {
    RunTimeLibrary library("libm.so.6", MathNames);
    EXPECT_EQ(library.Entry(0), nullptr) << "nothing before the first load";
    library.Acquire();
    library.Acquire();
    EXPECT_EQ(library.Users(), 2);
    using Cosine = double(double);
    ASSERT_NE(library.EntryAs<Cosine>(0), nullptr);
    EXPECT_EQ(library.EntryAs<Cosine>(0)(0.0), 1.0);
    EXPECT_EQ(library.Entry(1), nullptr) << "a name the library does not export";
    EXPECT_NE(library.Entry(2), nullptr);
    EXPECT_EQ(library.Entry(3), nullptr) << "past the table";
    EXPECT_NE(library.Symbol("tan"), nullptr);

    library.Release();
    EXPECT_TRUE(library.Loaded());
    library.Release();
    EXPECT_FALSE(library.Loaded());
    EXPECT_EQ(library.Entry(0), nullptr);
    library.Release();
    EXPECT_EQ(library.Users(), 0) << "giving back more than was taken changes nothing";
}

// A binding's calls, each named once where it is declared.
struct MathCalls : EntryPointTable {
    EntryPoint<double(double)> cos{*this, "cos"};
    EntryPoint<double(double)> tan{*this, "tan", EntryNeed::Optional};
    EntryPoint<double(double)> missing{*this, "no_such_function", EntryNeed::Optional};
};
struct NeedyCalls : EntryPointTable {
    EntryPoint<double(double)> sin{*this, "sin"};
    EntryPoint<double(double)> missing{*this, "no_such_function"};
    EntryPoint<double(double)> alsoMissing{*this, "nor_this_one"};
};

TEST(RunTimeLibrary, ATableOfCallsIsFilledByNameInTheTableAndBeyondIt) {
    RunTimeLibrary library("libm.so.6", MathNames);
    MathCalls calls;
    EXPECT_FALSE(calls.cos) << "empty before the library is loaded";
    library.Acquire();
    EXPECT_EQ(calls.TakeFrom(library), "") << "only optional calls are missing";
    ASSERT_TRUE(calls.cos);
    EXPECT_EQ(calls.cos(0.0), 1.0);
    ASSERT_TRUE(calls.tan) << "beyond the name table, found by symbol";
    EXPECT_EQ(calls.tan(0.0), 0.0);
    EXPECT_FALSE(calls.missing);
    calls.Clear();
    EXPECT_FALSE(calls.cos);
    EXPECT_FALSE(calls.tan);

    NeedyCalls needy;
    EXPECT_EQ(needy.TakeFrom(library), "no_such_function") << "the first required one missing";
    EXPECT_TRUE(needy.sin);
    library.Release();
}

TEST(RunTimeLibrary, ALibraryThatCannotBeLoadedRaisesTheLoadersOwnAccount) {
    RunTimeLibrary library("libkestrune-missing.so", MathNames);
    try {
        library.Acquire();
        FAIL() << "a missing library was loaded";
    } catch (const LibraryLoadError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("libkestrune-missing.so"), std::string::npos) << text;
        EXPECT_NE(text.find("No such file"), std::string::npos) << text;
    }
    EXPECT_FALSE(library.Loaded());
}

} // namespace
} // namespace kestrune::platform
