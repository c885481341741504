#include "mp3out/lame_binding.h"
#include "mp3out/mp3_out.h"
#include "pipeline/audio_exception.h"
#include "tests/support/library_file_name.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

class LibraryName : public test::LibraryFileName<&SetEncoderLibraryFileName> {
public:
    explicit LibraryName(std::string Name) : LibraryFileName(std::move(Name), "libmp3lame.so.0") {}
};

std::string ConstructionMessage() {
    try {
        MakeComponent<TMP3Out>();
    } catch (const EAudioException& e) {
        return e.what();
    }
    return "no exception";
}

TEST(EncoderBinding, ResolvesTheHundredAndTwelveNamesInOrder) {
    const auto sink = MakeComponent<TMP3Out>();
    EXPECT_EQ(EncoderLibraryNames.size(), 112u);
    EXPECT_EQ(EncoderLibraryNames.front(), "lame_init");
    EXPECT_EQ(EncoderLibraryNames.back(), "id3tag_set_genre");
    EXPECT_EQ(EncoderLibraryNames[86], "lame_encode_buffer");
    EXPECT_NE(EncoderLibraryEntry(0), nullptr);
    EXPECT_NE(EncoderLibraryEntry(111), nullptr);
}

TEST(EncoderBinding, IsHeldWhileAnySinkLivesAndLoadedAgainForANewOne) {
    ASSERT_EQ(EncoderLibraryUsers(), 0);
    auto first = MakeComponent<TMP3Out>();
    auto second = MakeComponent<TMP3Out>();
    EXPECT_EQ(EncoderLibraryUsers(), 2);
    first.reset();
    EXPECT_TRUE(EncoderLibraryLoaded()) << "the other sink can still encode";
    second.reset();
    EXPECT_FALSE(EncoderLibraryLoaded());
    auto third = MakeComponent<TMP3Out>();
    EXPECT_TRUE(EncoderLibraryLoaded());
}

TEST(EncoderBinding, MissingOrForeignLibraryFailsTheSinkWithItsMessage) {
    {
        const LibraryName missing("libmp3lame-missing.so.0");
        EXPECT_EQ(ConstructionMessage(), "lame_enc.dll library could not be loaded.");
        EXPECT_FALSE(EncoderLibraryLoaded());
    }
    {
        // Loads, but has none of the encoder's calls.
        const LibraryName foreign("libm.so.6");
        EXPECT_EQ(ConstructionMessage(), "lame_enc.dll library could not be loaded.");
        EXPECT_EQ(EncoderLibraryUsers(), 0);
    }
    EXPECT_EQ(ConstructionMessage(), "no exception");
}

} // namespace
} // namespace kestrune
