#include "cdin/cd_in.h"
#include "tests/mp3out/mp3_fixture.h"
#include "tests/support/mp3_file.h"
#include "tools/mkdisc/audio_synthesis.h"
#include "tools/mkdisc/track_parse.h"

#include <filesystem>

namespace kestrune::test {
namespace {

using RipTest = Mp3Test;

TEST_F(RipTest, TrackBecomesAnMp3OfExactlyItsLengthWithItsToneAndTag) {
    const auto cue = images.Make("tone", {"audio:2:silence", "audio:10:sine=1000@-6"});
    auto cd = Cd(cue, 2);
    sink->SetId3TagAlbum("https://velmora.example");
    sink->SetId3TagComment("Velmora DG [Ostin] - Kestrune");
    Run(*cd);
    ASSERT_EQ(events.Done(), 1) << (events.Errors().empty() ? "" : events.Errors().front());

    const auto decoded = DecodeMp3(Output());
    EXPECT_EQ(decoded.Rate, 44100);
    EXPECT_EQ(decoded.Channels, 2);
    EXPECT_EQ(decoded.Frames(), 10u * 44100) << "the Info frame makes the length exact";
    ASSERT_TRUE(InfoFrameCount(Output()).has_value());

    const auto source = mkdisc::RenderAudio(mkdisc::ParseTrack("audio:10:sine=1000@-6"));
    // Measured here: 26 dB for this tone at 128 kbit/s (the encoder hides its
    // noise under the tone). The stream being off by a single sample already
    // gives 17 dB at 1 kHz, a channel or byte swap 0 dB or less.
    EXPECT_GT(SignalToNoise(source, decoded.Samples, 2, 1200), 20.0);
    for (int channel = 0; channel < 2; ++channel) {
        EXPECT_NEAR(ToneFrequency(decoded.Samples, 2, channel, 44100), 1000.0, 2.0);
        // A sine at -6 dB peak has an RMS level of -9 dBFS.
        EXPECT_NEAR(LevelDb(decoded.Samples, 2, channel), -9.0, 0.5);
    }

    const auto tag = ReadId3v1(Output());
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->Album, "https://velmora.example");
    EXPECT_EQ(tag->Comment, "Velmora DG [Ostin] - Kestrune");
    EXPECT_FALSE(cd->Busy());
    EXPECT_EQ(cd->DriveUseCount(), 0);
}

TEST_F(RipTest, StoppedRunLeavesAValidShorterFileWithItsTag) {
    const auto cue = images.Make("long", {"audio:60:noise=2@-20"});
    auto cd = Cd(cue, 1);
    sink->SetId3TagComment("stopped");
    sink->SetOnProgress([&](TComponent&) {
        if (sink->Progress() >= 10) {
            sink->Stop();
        }
    });
    Run(*cd);
    ASSERT_EQ(events.Done(), 1);
    const auto decoded = DecodeMp3(Output());
    EXPECT_GT(decoded.Frames(), 0u);
    EXPECT_LT(decoded.Frames(), 30u * 44100);
    // The Info frame is written on a stop too, so the length is exactly what was read.
    EXPECT_EQ(decoded.Frames(), static_cast<std::size_t>(cd->Position() / 4));
    const auto tag = ReadId3v1(Output());
    ASSERT_TRUE(tag.has_value());
    EXPECT_EQ(tag->Comment, "stopped");
}

TEST_F(RipTest, FullDiskFailsTheRunWithAClearMessageAndLeavesTheDeviceAlone) {
    const auto cue = images.Make("disc", {"audio:5:noise=4"});
    auto cd = Cd(cue, 1);
    sink->SetFileName("/dev/full");
    Run(*cd);
    EXPECT_EQ(events.Done(), 0);
    EXPECT_EQ(events.Errors(), std::vector<std::string>{
                                   "Cannot write to file \"/dev/full\". No space left on device"});
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
    EXPECT_FALSE(cd->Busy());
    EXPECT_EQ(sink->Status(), TOutputStatus::osIdle);
}

TEST_F(RipTest, ReadFailureDuringTheRipRemovesTheIncompleteFile) {
    // 450 sectors listed, 250 there: the fourth chunk of track 1 (from 225) fails.
    const auto cue = images.Make("cut", {"audio:4:noise=9", "audio:2"}, 200);
    auto cd = Cd(cue, 1);
    Run(*cd);
    EXPECT_EQ(events.Done(), 0);
    EXPECT_EQ(events.Errors(), std::vector<std::string>{
                                   "The disc could not be read at sector 225 (error 5): sector "
                                   "250 is not in \"" +
                                   cue.substr(0, cue.size() - 4) + ".bin\", which ends before it"});
    EXPECT_FALSE(std::filesystem::exists(Output()));
    EXPECT_FALSE(cd->Busy());
}

TEST_F(RipTest, SameSinkRipsTwiceIntoTwoFiles) {
    const auto cue = images.Make("two", {"audio:1:sine=440", "audio:2:sine=880"});
    auto cd = Cd(cue, 1);
    Run(*cd);
    cd->SetStartTrack(2);
    cd->SetEndTrack(2);
    sink->SetFileName(Output("second.mp3"));
    Run(*cd);
    ASSERT_EQ(events.Done(), 2);
    EXPECT_EQ(DecodeMp3(Output()).Frames(), 44100u);
    EXPECT_EQ(DecodeMp3(Output("second.mp3")).Frames(), 2u * 44100);
}

} // namespace
} // namespace kestrune::test
