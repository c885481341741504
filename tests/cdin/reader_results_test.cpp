// The CD source over a stand-in reading library: every result the library
// returns is looked at, and the library is initialised once per load.

#include "cdin/cd_in.h"
#include "cdin/discread_binding.h"
#include "pipeline/audio_exception.h"
#include "platform/dynamic_library.h"
#include "tests/support/library_file_name.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace kestrune::test {
namespace {

class FakeReaderTest : public ::testing::Test {
protected:
    FakeReaderTest() {
        UnloadRipLibrary();
        Call<void()>("FakeReaderReset")();
    }
    ~FakeReaderTest() override { UnloadRipLibrary(); }

    template <class Fn> Fn* Call(const char* Name) const {
        return reinterpret_cast<Fn*>(controls.Symbol(Name));
    }
    void Set(const char* Key, std::int32_t Value) const {
        Call<void(const char*, std::int32_t)>("FakeReaderSet")(Key, Value);
    }
    std::int32_t Count(const char* Name) const {
        return Call<std::int32_t(const char*)>("FakeReaderCount")(Name);
    }

    // Opens Source and returns the message it raises.
    static std::string OpenMessage(TCDIn& Source) {
        try {
            Source.OpenSource();
        } catch (const EAudioException& e) {
            return e.what();
        }
        return "opened";
    }

    platform::DynamicLibrary controls{FAKE_READER};
    LibraryFileName<&SetRipLibraryFileName> name{FAKE_READER, "libdiscread.so"};
};

TEST_F(FakeReaderTest, ARangeThatCannotBeOpenedForReadingFailsTheOpenAndLeavesTheSourceIdle) {
    const auto source = MakeComponent<TCDIn>();
    source->SetStartTrack(2);
    source->SetEndTrack(2);
    Set("open_ripper_error", 5);
    const std::string message = OpenMessage(*source);
    EXPECT_TRUE(message.starts_with("The disc could not be read at sector ") &&
                message.ends_with(" (error 5)"))
        << message;
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(source->Size(), 0);
    EXPECT_EQ(source->DriveUseCount(), 0);

    Set("open_ripper_error", 0);
    EXPECT_EQ(OpenMessage(*source), "opened");
    EXPECT_EQ(source->Size(), 150 * 2352);
    source->CloseSource();
}

TEST_F(FakeReaderTest, ATableOfContentsThatCannotBeReadForTheRangeFailsTheOpen) {
    const auto source = MakeComponent<TCDIn>();
    source->SetStartTrack(1);
    source->SetEndTrack(1);
    // The checks read it twice; the range's own reading is the third.
    Set("fail_read_toc_from", 3);
    EXPECT_EQ(OpenMessage(*source), "The table of contents could not be read (error 4)");
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(source->Size(), 0);
    EXPECT_EQ(source->DriveUseCount(), 0);
}

TEST_F(FakeReaderTest, EachLoadInitialisesTheLibraryAndTheEndShutsItDownOnce) {
    {
        const auto first = MakeComponent<TCDIn>();
        const auto second = MakeComponent<TCDIn>();
    }
    EXPECT_EQ(Count("DR_Init"), 2);
    EXPECT_EQ(RipLibraryLoads(), 2);
    EXPECT_TRUE(RipLibraryLoaded()) << "a source that goes leaves the library loaded";
    EXPECT_EQ(Count("DR_DeInit"), 0);
    UnloadRipLibrary();
    UnloadRipLibrary();
    EXPECT_EQ(Count("DR_DeInit"), 1);
    EXPECT_FALSE(RipLibraryLoaded());
}

} // namespace
} // namespace kestrune::test
