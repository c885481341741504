// The de-emphasis stage between the CD source and a sink.

#include "cdin/cd_deemphasis.h"
#include "tests/cdin/cd_in_fixture.h"

#include <cmath>

namespace kestrune::test {
namespace {

class Deemphasis : public CDInTest {
protected:
    // Every byte the stage delivers for Track, read in blocks of Block bytes.
    static std::vector<std::uint8_t> ReadAll(TCDIn& Cd, TCDDeemphasis& Stage, std::int32_t Track,
                                             std::size_t Block = 16384) {
        Cd.SetStartTrack(Track);
        Cd.SetEndTrack(Track);
        Stage.OpenSource();
        std::vector<std::uint8_t> all;
        std::vector<std::byte> buffer(Block);
        while (const std::int32_t count = Stage.ReadBlock(buffer)) {
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer.data());
            all.insert(all.end(), bytes, bytes + count);
        }
        Stage.CloseSource();
        return all;
    }
    static double Rms(const std::vector<std::uint8_t>& Bytes) {
        double sum = 0;
        const std::size_t samples = Bytes.size() / 2;
        for (std::size_t i = 4410 * 2; i < samples; ++i) {
            const auto value = static_cast<std::int16_t>(Bytes[2 * i] | Bytes[2 * i + 1] << 8);
            sum += static_cast<double>(value) * value;
        }
        return std::sqrt(sum / static_cast<double>(samples - 4410 * 2));
    }
};

TEST_F(Deemphasis, OnlyTracksFlaggedForPreEmphasisAreFilteredTheRestPassBitForBit) {
    const auto disc = DiscImages::Spec(
        {"audio:1:noise=1@-3", "audio:2:sine=16000@-6,pre", "audio:1:noise=2@-1,dcp,pre"});
    const auto cd = Source({images.Make("emphasis", disc)});
    const auto stage = MakeComponent<TCDDeemphasis>();
    stage->SetInput(cd.get());

    EXPECT_EQ(ReadAll(*cd, *stage, 1), mkdisc::TrackBytes(disc, 0)) << "no flag: untouched";
    EXPECT_FALSE(stage->Filtering());

    const auto source = mkdisc::TrackBytes(disc, 1);
    const auto filtered = ReadAll(*cd, *stage, 2);
    ASSERT_EQ(filtered.size(), source.size());
    // 16 kHz comes down by the curve's 9.04 dB.
    EXPECT_NEAR(20 * std::log10(Rms(filtered) / Rms(source)), -9.04, 0.3);
    EXPECT_EQ(stage->Size(), 0) << "closed";

    // Blocks of an odd size give the same stream.
    EXPECT_EQ(ReadAll(*cd, *stage, 2, 16383), filtered);

    stage->SetKeepEmphasis(true);
    EXPECT_EQ(ReadAll(*cd, *stage, 3), mkdisc::TrackBytes(disc, 2)) << "kept on request";
}

TEST_F(Deemphasis, TheStagePassesOnItsSourcesSizeAndRefusals) {
    const auto cd = Source({images.Make("one", {"audio:1,pre", "data:1"})});
    const auto stage = MakeComponent<TCDDeemphasis>();
    std::array<std::byte, 16> block{};
    EXPECT_EQ(MessageOf([&] { stage->OpenSource(); }), "The de-emphasis stage has no input");
    EXPECT_EQ(MessageOf([&] { stage->ReadBlock(block); }), "The Stream is not opened");
    stage->SetInput(cd.get());
    cd->SetStartTrack(2);
    cd->SetEndTrack(2);
    EXPECT_EQ(MessageOf([&] { stage->OpenSource(); }), "Trying to rip a data track");
    EXPECT_FALSE(stage->Busy());
    cd->SetStartTrack(1);
    cd->SetEndTrack(1);
    stage->OpenSource();
    EXPECT_TRUE(stage->Filtering());
    EXPECT_EQ(stage->Size(), 75 * 2352);
    EXPECT_EQ(stage->ReadBlock(block), 16);
    EXPECT_EQ(stage->Position(), 16);
    stage->CloseSource();
    EXPECT_FALSE(cd->Busy());
}

} // namespace
} // namespace kestrune::test
