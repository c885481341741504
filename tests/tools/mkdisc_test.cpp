#include "tests/support/disc_images.h"
#include "tools/mkdisc/audio_synthesis.h"
#include "tools/mkdisc/track_parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrune::mkdisc {
namespace {

TEST(MkdiscTracks, ParsesKindLengthSignalAndOptions) {
    const TrackSpec tone = ParseTrack("audio:2.5:sine=1000@-12,dcp,pre,pregap=10f");
    EXPECT_FALSE(tone.Data);
    EXPECT_EQ(tone.Sectors, 188); // 2.5 s rounded to whole sectors
    EXPECT_EQ(tone.Kind, Signal::Sine);
    EXPECT_DOUBLE_EQ(tone.Frequency, 1000);
    EXPECT_DOUBLE_EQ(tone.LevelDb, -12);
    EXPECT_TRUE(tone.CopyPermitted);
    EXPECT_TRUE(tone.PreEmphasis);
    EXPECT_EQ(tone.PregapSectors, 10);
    EXPECT_TRUE(ParseTrack("data:75f").Data);
    EXPECT_EQ(ParseTrack("audio:3:silence").Kind, Signal::Silence);
    EXPECT_EQ(ParseTrack("audio:3:noise=7").Seed, 7u);

    const TrackSpec named = ParseTrack("audio:10f,gap=5f,title=Intro,isrc=GBAYE0000001");
    EXPECT_EQ(named.GapSectors, 5);
    EXPECT_EQ(named.Title, "Intro");
    EXPECT_EQ(named.Isrc, "GBAYE0000001");

    for (const char* bad :
         {"audio", "audio:x", "video:3", "audio:0f", "audio:3:hum", "audio:3:sine=30000",
          "audio:3:sine=440@3", "data:3:sine", "audio:3,loud", "audio:1.5f", "audio:1,isrc=GB1"}) {
        EXPECT_THROW(ParseTrack(bad), std::invalid_argument) << bad;
    }
}

TEST(MkdiscTracks, SineHasItsLevelAndTheRightChannelTrailsAQuarterPeriod) {
    TrackSpec track = ParseTrack("audio:1:sine=441@-6");
    const auto pcm = RenderAudio(track);
    ASSERT_EQ(pcm.size(), 75u * 588 * 2);
    const double peak = 32767 * std::pow(10.0, -6 / 20.0);
    // 441 Hz: 100 frames a period; frame 25 is the left peak, the right one is at 50.
    EXPECT_NEAR(pcm[2 * 25], peak, 1);
    EXPECT_NEAR(pcm[2 * 50 + 1], peak, 1);
    EXPECT_NEAR(pcm[2 * 25 + 1], 0, 1);
}

TEST(MkdiscDisc, WritesRawSectorsOfEachTrackAndCutsTheBinWhenAsked) {
    kestrune::test::DiscImages images;
    const auto cue = images.Make("two", {"audio:10f:noise=3", "data:5f"}, 2);
    const auto bin = std::filesystem::path(cue).replace_extension(".bin");
    EXPECT_EQ(std::filesystem::file_size(bin), 13u * SectorBytes);

    const auto samples = RenderAudio(ParseTrack("audio:10f:noise=3"));
    const auto first = kestrune::test::DiscImages::Sectors(cue, 0, 1);
    EXPECT_EQ(std::memcmp(first.data(), samples.data(), first.size()), 0)
        << "little-endian samples, left then right";
    const auto data = kestrune::test::DiscImages::Sectors(cue, 10, 11);
    EXPECT_EQ(data[0], std::byte{0});
    EXPECT_EQ(data[1], std::byte{0xFF});
    EXPECT_EQ(data[15], std::byte{1}) << "mode 1";

    std::ifstream in(cue);
    const std::string sheet{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(sheet, "FILE \"two.bin\" BINARY\n"
                     "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                     "  TRACK 02 MODE1/2352\n    INDEX 01 00:00:10\n");
}

TEST(MkdiscDisc, WritesOneFilePerTrackNamedByTheDiscsNumbersAndRefusesNumbersPast99) {
    kestrune::test::DiscImages images;
    auto disc = kestrune::test::DiscImages::Spec({"audio:2f", "audio:3f,pregap=1f"});
    disc.FilePerTrack = true;
    disc.Type = FileType::Wave;
    disc.FirstTrack = 7;
    const auto cue = images.Make("set", disc);
    std::ifstream in(cue);
    const std::string sheet{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(sheet, "FILE \"set-07.wav\" WAVE\n  TRACK 07 AUDIO\n    INDEX 01 00:00:00\n"
                     "FILE \"set-08.wav\" WAVE\n  TRACK 08 AUDIO\n    INDEX 00 00:00:00\n"
                     "    INDEX 01 00:00:01\n");
    // A RIFF header with a LIST chunk before the samples: 4 + 4 + 4 + 24 + 14 + 8 bytes.
    EXPECT_EQ(std::filesystem::file_size(images.Folder() / "set-08.wav"), 58u + 4 * SectorBytes);

    disc.FirstTrack = 99;
    EXPECT_THROW(images.Make("over", disc), std::runtime_error);
}

} // namespace
} // namespace kestrune::mkdisc
