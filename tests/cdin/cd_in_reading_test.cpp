#include "tests/cdin/cd_in_fixture.h"
#include "tests/support/pump.h"
#include "tests/support/test_sink.h"

#include <vector>

namespace kestrune::test {
namespace {

TEST_F(CDInTest, ReadsATrackExactlyInTenFullBlocksAndOneShortPerChunk) {
    const auto cue =
        images.Make("disc", {"audio:40f:sine=1000", "audio:150f:noise=4@-3", "audio:20f:silence"});
    const auto source = Source({cue});
    source->SetStartTrack(2);
    source->SetEndTrack(2);
    source->OpenSource();

    std::vector<std::int32_t> blocks;
    std::vector<std::byte> pcm;
    std::array<std::byte, 16384> block{};
    for (;;) {
        const std::int32_t count = source->ReadBlock(block);
        blocks.push_back(count);
        if (count == 0) {
            break;
        }
        pcm.insert(pcm.end(), block.begin(), block.begin() + count);
    }
    std::vector<std::int32_t> expected;
    for (int chunk = 0; chunk < 2; ++chunk) {
        expected.insert(expected.end(), 10, 16384);
        expected.push_back(12560);
    }
    expected.push_back(0);
    EXPECT_EQ(blocks, expected);
    EXPECT_EQ(pcm, DiscImages::Sectors(cue, 40, 190));
    EXPECT_EQ(source->Position(), source->Size());
    EXPECT_EQ(source->ReadBlock(block), 0) << "the end stays the end";
    source->CloseSource();
    EXPECT_EQ(source->Position(), 150 * 2352) << "Position survives the close";
}

TEST_F(CDInTest, SmallRequestsAreServedFromTheSameChunk) {
    const auto cue = images.Make("disc", {"audio:80f:noise=8"});
    const auto source = Source({cue});
    source->SetStartTrack(1);
    source->SetEndTrack(1);
    source->OpenSource();
    std::vector<std::byte> pcm;
    std::array<std::byte, 1000> small{};
    while (const std::int32_t count = source->ReadBlock(small)) {
        pcm.insert(pcm.end(), small.begin(), small.begin() + count);
    }
    EXPECT_EQ(pcm, DiscImages::Sectors(cue, 0, 80));
    source->CloseSource();
}

TEST_F(CDInTest, FailedReadRaisesNamingTheSectorInsteadOfEndingTheTrack) {
    // The cue lists 150 sectors; the .bin holds only the first 80.
    const auto cue = images.Make("cut", {"audio:100f:noise=9", "audio:50f"}, 70);
    const auto source = Source({cue});
    EXPECT_EQ(source->DiscContent(), TDiscContent::dcAudio);
    source->SetStartTrack(1);
    source->SetEndTrack(1);
    source->OpenSource();
    std::array<std::byte, 16384> block{};
    std::string message;
    try {
        while (source->ReadBlock(block) > 0) {
        }
    } catch (const EAudioException& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "The disc could not be read at sector 75 (error 5): sector 80 is not in \"" +
                           cue.substr(0, cue.size() - 4) + ".bin\", which ends before it");
    EXPECT_EQ(source->Position(), 75 * 2352);
    source->CloseSource();
    EXPECT_EQ(source->DriveUseCount(), 0);
}

TEST_F(CDInTest, SinkPullsTheWholeTrackThroughItsWorker) {
    const auto cue = images.Make("disc", {"audio:30f", "audio:200f:noise=12"});
    const auto source = Source({cue});
    source->SetStartTrack(2);
    source->SetEndTrack(2);
    auto sink = MakeComponent<TTestSink>();
    int done = 0;
    std::vector<std::string> errors;
    sink->SetOnDone([&](TComponent&) { ++done; });
    sink->SetOnThreadException(
        [&](TComponent&, const std::exception& e) { errors.emplace_back(e.what()); });
    sink->SetInput(source.get());
    sink->Start();
    ASSERT_TRUE(PumpUntil([&] { return done == 1 || !errors.empty(); }));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(sink->Received(), DiscImages::Sectors(cue, 30, 230));
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(source->DriveUseCount(), 0);
}

} // namespace
} // namespace kestrune::test
