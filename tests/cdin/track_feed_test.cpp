// A track's audio handed from a disc's reader to a sink on another thread,
// within a budget of memory shared by every track of the read.

#include "cdin/feed_budget.h"
#include "cdin/track_feed.h"
#include "pipeline/audio_exception.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <numeric>
#include <thread>
#include <vector>

namespace kestrune::test {
namespace {

using namespace std::chrono_literals;

std::vector<std::byte> Chunk(std::size_t Size, int Seed) {
    std::vector<std::byte> bytes(Size);
    for (std::size_t i = 0; i < Size; ++i) {
        bytes[i] = static_cast<std::byte>((i * 7 + static_cast<std::size_t>(Seed)) & 0xFF);
    }
    return bytes;
}

std::vector<std::byte> ReadAll(TTrackFeed& Feed, std::size_t Block) {
    std::vector<std::byte> all;
    std::vector<std::byte> buffer(Block);
    for (std::int32_t got = 0; (got = Feed.ReadBlock(buffer)) > 0;) {
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    }
    return all;
}

TEST(FeedBudget, AReaderWaitsUntilTheEncodersGiveBackAndACancelEndsTheWait) {
    FeedBudget budget(1000);
    ASSERT_TRUE(budget.Take(600));
    std::atomic<bool> through{false};
    std::atomic<bool> taken{false};
    std::thread reader([&] {
        taken = budget.Take(600);
        through = true;
    });
    // 1200 would be over the budget: the reader may not pass yet.
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(through);
    budget.Give(600);
    reader.join();
    EXPECT_TRUE(taken);
    EXPECT_EQ(budget.Held(), 600u);

    // A chunk larger than the whole budget passes once nothing else is held,
    // or no reader could ever go on.
    budget.Give(600);
    EXPECT_TRUE(budget.Take(5000));
    std::thread blocked([&] { taken = budget.Take(1); });
    budget.Cancel();
    blocked.join();
    EXPECT_FALSE(taken);
}

TEST(TrackFeed, BytesComeInOrderInAnyBlockSizeAndTheTrackEndsWhenWhole) {
    FeedBudget budget(3 * 1000);
    const auto feed = MakeComponent<TTrackFeed>(10 * 1000, std::uint8_t{0}, budget, false);
    feed->OpenSource();
    std::vector<std::byte> sent;
    std::thread reader([&] {
        for (int c = 0; c < 10; ++c) {
            const auto chunk = Chunk(1000, c);
            ASSERT_TRUE(feed->Put(chunk));
        }
    });
    for (int c = 0; c < 10; ++c) {
        const auto chunk = Chunk(1000, c);
        sent.insert(sent.end(), chunk.begin(), chunk.end());
    }
    // A block that is no divisor of the chunks, so reads straddle them.
    EXPECT_EQ(ReadAll(*feed, 777), sent);
    reader.join();
    EXPECT_EQ(feed->Position(), 10 * 1000);
    EXPECT_EQ(budget.Held(), 0u) << "every chunk read goes back to the budget";
    feed->CloseSource();
}

TEST(TrackFeed, AFailedReadingIsRaisedAfterTheBytesBeforeIt) {
    // The sink must hear that the track is cut short, never see a short end.
    FeedBudget budget(1 << 20);
    const auto feed = MakeComponent<TTrackFeed>(3000, std::uint8_t{0}, budget, false);
    feed->OpenSource();
    ASSERT_TRUE(feed->Put(Chunk(1000, 1)));
    feed->Fail("The disc could not be read at sector 75");
    std::vector<std::byte> buffer(4096);
    EXPECT_EQ(feed->ReadBlock(buffer), 1000);
    try {
        (void)feed->ReadBlock(buffer);
        ADD_FAILURE() << "a failed track ended quietly";
    } catch (const EAudioException& e) {
        EXPECT_STREQ(e.what(), "The disc could not be read at sector 75");
    }
    feed->CloseSource();
}

TEST(TrackFeed, AStopEndsAWaitingReadAndAClosedFeedTakesNoMore) {
    FeedBudget budget(1 << 20);
    const auto feed = MakeComponent<TTrackFeed>(5000, std::uint8_t{0}, budget, false);
    feed->OpenSource();
    std::atomic<std::int32_t> got{-1};
    std::thread sink([&] {
        std::vector<std::byte> buffer(4096);
        got = feed->ReadBlock(buffer);
    });
    // The sink waits for audio the reader will never bring.
    feed->EndEarly();
    sink.join();
    EXPECT_EQ(got, 0);

    const auto dropped = MakeComponent<TTrackFeed>(5000, std::uint8_t{0}, budget, true);
    dropped->OpenSource();
    ASSERT_TRUE(dropped->Put(Chunk(1000, 2)));
    EXPECT_EQ(budget.Held(), 1000u);
    dropped->CloseSource();
    EXPECT_EQ(budget.Held(), 0u) << "what nobody will read goes back to the budget";
    EXPECT_FALSE(dropped->Put(Chunk(1000, 3)));
    EXPECT_EQ(budget.Held(), 0u);
    EXPECT_TRUE(dropped->ReadsFile("any"));
}

} // namespace
} // namespace kestrune::test
