#include "cdin/cd_in.h"
#include "tests/mp3out/mp3_fixture.h"
#include "tests/support/mp3_file.h"
#include "tests/support/test_source.h"

#include <cmath>

namespace kestrune::test {
namespace {

TEST(Mp3Defaults, AreTheDocumentedOnes) {
    const auto sink = MakeComponent<TMP3Out>();
    EXPECT_EQ(sink->BitRate(), TMP3BitRate::br128);
    EXPECT_EQ(sink->Quality(), TMP3Quality::ql5);
    EXPECT_EQ(sink->SampleRate(), TMP3SampleRate::srDefault);
    EXPECT_EQ(sink->Mode(), TMP3Mode::STEREO);
    EXPECT_FALSE(sink->CRC());
    EXPECT_FALSE(sink->Copyright());
    EXPECT_TRUE(sink->Original());
    EXPECT_FALSE(sink->EnableVBR());
    EXPECT_FALSE(sink->WriteVBRHeader());
    EXPECT_EQ(sink->VBRQuality(), TMP3Quality::ql5);
    EXPECT_EQ(sink->VBRMinBitrate(), 128);
    EXPECT_EQ(sink->VBRMaxBitrate(), 192);
    EXPECT_TRUE(sink->Id3TagTitle().empty());
    EXPECT_TRUE(sink->Id3TagComment().empty());
    EXPECT_TRUE(sink->SuspendWhenIdle());
    EXPECT_EQ(sink->FileMode(), TFileOutputMode::foRewrite);
}

struct StreamSettings {
    TMP3BitRate BitRate;
    TMP3Mode Mode;
    TMP3SampleRate SampleRate;
    bool Copyright;
    bool Original;
    bool CRC;
    // What the frames must say.
    int Kbps;
    int Hertz;
    int ModeBits;
};

class Mp3FrameTest : public Mp3Test, public ::testing::WithParamInterface<StreamSettings> {};

// The settings reach the stream: every frame header carries them.
TEST_P(Mp3FrameTest, TheSettingsReachTheFramesOfTheFile) {
    const StreamSettings& settings = GetParam();
    auto source = MakeComponent<TTestSource>(44100 * 4);
    sink->SetBitRate(settings.BitRate);
    sink->SetMode(settings.Mode);
    sink->SetSampleRate(settings.SampleRate);
    sink->SetCopyright(settings.Copyright);
    sink->SetOriginal(settings.Original);
    sink->SetCRC(settings.CRC);
    Run(*source);
    ASSERT_EQ(events.Done(), 1) << (events.Errors().empty() ? "" : events.Errors().front());
    const auto header = SecondFrameHeader(Output());
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->BitRateKbps, settings.Kbps);
    EXPECT_EQ(header->SampleRate, settings.Hertz);
    EXPECT_EQ(header->Mode, settings.ModeBits);
    EXPECT_EQ(header->Copyright, settings.Copyright);
    EXPECT_EQ(header->Original, settings.Original);
    EXPECT_EQ(header->Protected, settings.CRC);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Mp3FrameTest,
    ::testing::Values(StreamSettings{TMP3BitRate::br128, TMP3Mode::STEREO,
                                     TMP3SampleRate::srDefault, false, true, false, 128, 44100, 0},
                      StreamSettings{TMP3BitRate::br320, TMP3Mode::JOINT_STEREO,
                                     TMP3SampleRate::sr48kHz, true, false, true, 320, 48000, 1},
                      StreamSettings{TMP3BitRate::br64, TMP3Mode::MONO, TMP3SampleRate::sr32kHz,
                                     true, true, false, 64, 32000, 3},
                      StreamSettings{TMP3BitRate::br112, TMP3Mode::DUAL_CHANNEL,
                                     TMP3SampleRate::sr41kHz, false, false, false, 112, 44100, 2}));

TEST_F(Mp3Test, OutputRateAndBitRateReachTheFile) {
    auto source = MakeComponent<TTestSource>(44100 * 4 * 4);
    sink->SetSampleRate(TMP3SampleRate::sr32kHz);
    sink->SetBitRate(TMP3BitRate::br320);
    Run(*source);
    ASSERT_EQ(events.Done(), 1);
    const auto decoded = DecodeMp3(Output());
    EXPECT_EQ(decoded.Rate, 32000);
    // At 320 kbit/s and 32 kHz every frame is 1440 bytes (no padding at that rate);
    // four seconds are 111 frames of audio, plus the Info frame and the encoder's
    // delay and padding. Empty tag texts give no tag.
    const auto size = std::filesystem::file_size(Output());
    EXPECT_EQ(size % 1440, 0u) << size;
    EXPECT_GE(size / 1440, 112u);
    EXPECT_LE(size / 1440, 116u);
}

TEST_F(Mp3Test, EmptyFileNameIsRefusedBeforeTheInputIsOpened) {
    auto source = MakeComponent<TTestSource>();
    sink->SetFileName("");
    Run(*source);
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"File name is not assigned."});
    EXPECT_EQ(source->Opens, 0);
}

TEST_F(Mp3Test, FileThatCannotBeCreatedIsNamedWithTheSystemsReason) {
    auto source = MakeComponent<TTestSource>();
    const auto path = Output("missing-folder/out.mp3");
    sink->SetFileName(path);
    Run(*source);
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"Cannot create file \"" + path +
                                                        "\". No such file or directory"});
    EXPECT_EQ(source->Opens, 0);
}

TEST_F(Mp3Test, SourceThatRefusesToOpenLeavesNoFileBehind) {
    const auto cue = images.Make("data", {"data:30f", "audio:30f"});
    UseDrives({cue});
    auto cd = MakeComponent<TCDIn>();
    cd->SetStartTrack(1);
    cd->SetEndTrack(1);
    Run(*cd);
    EXPECT_EQ(events.Errors(), std::vector<std::string>{"Trying to rip a data track"});
    EXPECT_FALSE(std::filesystem::exists(Output()));
    EXPECT_EQ(cd->DriveUseCount(), 0);
}

TEST_F(Mp3Test, OneChannelInputIsEncodedAsTwoEqualChannels) {
    auto source = MakeComponent<TTestSource>(44100 * 2 * 2);
    source->Channels = 1;
    Run(*source);
    ASSERT_EQ(events.Done(), 1);
    const auto decoded = DecodeMp3(Output());
    EXPECT_EQ(decoded.Channels, 2);
    EXPECT_EQ(decoded.Frames(), 88200u) << "n bytes of one channel are n/2 samples";
    double difference = 0;
    for (std::size_t i = 0; i + 1 < decoded.Samples.size(); i += 2) {
        difference += std::abs(decoded.Samples[i] - decoded.Samples[i + 1]);
    }
    EXPECT_LT(difference / static_cast<double>(decoded.Frames()), 2.0);
}

TEST_F(Mp3Test, VariableRateSwapsAnInvertedRangeAndWritesAFrameCountHeader) {
    const auto cue = images.Make("vbr", {"audio:5:noise=3@-12"});
    UseDrives({cue});
    auto cd = MakeComponent<TCDIn>();
    cd->SetStartTrack(1);
    cd->SetEndTrack(1);
    sink->SetEnableVBR(true);
    sink->SetWriteVBRHeader(true);
    sink->SetVBRMinBitrate(256);
    sink->SetVBRMaxBitrate(128);
    Run(*cd);
    ASSERT_EQ(events.Done(), 1) << (events.Errors().empty() ? "" : events.Errors().front());
    EXPECT_EQ(sink->VBRMinBitrate(), 128);
    EXPECT_EQ(sink->VBRMaxBitrate(), 256);
    const auto decoded = DecodeMp3(Output());
    EXPECT_EQ(decoded.Frames(), 5u * 44100);
    const auto count = InfoFrameCount(Output());
    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(*count, static_cast<std::uint32_t>(decoded.AudioFrames));
}

} // namespace
} // namespace kestrune::test
