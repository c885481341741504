// The ring between the reading thread and the caller: chunks come out in the
// order they went in, a full ring gives no room, and a failure holds the
// reading until the caller, having heard of it, asks again.

#include "chunk_ring.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace discread {
namespace {

std::stop_token Stopped() {
    std::stop_source stop;
    stop.request_stop();
    return stop.get_token();
}

void Put(ChunkRing& Ring, const std::string& Text) {
    std::uint8_t* const slot = Ring.WaitForRoom({});
    ASSERT_NE(slot, nullptr);
    std::copy(Text.begin(), Text.end(), slot);
    Ring.Fill(Text.size());
}

std::string Get(ChunkRing& Ring) {
    std::string buffer(8, '.');
    const ChunkRing::Taken taken = Ring.Take(reinterpret_cast<std::uint8_t*>(buffer.data()));
    return taken.Failed ? "failed: " + taken.Why : buffer.substr(0, taken.Bytes);
}

TEST(ChunkRing, ChunksComeOutInOrderAndAFullRingHasNoRoom) {
    // A stopped wait shows whether there is room without waiting: none while
    // all three slots are filled, room again as soon as one is taken.
    ChunkRing ring(3, 8);
    Put(ring, "one");
    Put(ring, "two");
    Put(ring, "three");
    EXPECT_EQ(ring.WaitForRoom(Stopped()), nullptr);
    EXPECT_EQ(Get(ring), "one");
    EXPECT_NE(ring.WaitForRoom(Stopped()), nullptr);
    Put(ring, "four");
    EXPECT_EQ(Get(ring), "two");
    EXPECT_EQ(Get(ring), "three");
    EXPECT_EQ(Get(ring), "four");
}

TEST(ChunkRing, AFailureHoldsTheReadingUntilTheCallerAsksAgain) {
    // The failure comes after the chunk before it; while it waits in the ring
    // and after it was taken there is no room, though slots are free; the
    // caller's next request lets the reading try again, and its chunk is what
    // that request gets.
    ChunkRing ring(4, 8);
    Put(ring, "good");
    ASSERT_NE(ring.WaitForRoom({}), nullptr);
    ring.Fail("sector 9 cannot be read");
    EXPECT_EQ(ring.WaitForRoom(Stopped()), nullptr);
    EXPECT_EQ(Get(ring), "good");
    EXPECT_EQ(ring.WaitForRoom(Stopped()), nullptr);
    EXPECT_EQ(Get(ring), "failed: sector 9 cannot be read");
    EXPECT_EQ(ring.WaitForRoom(Stopped()), nullptr);

    auto again = std::async(std::launch::async, [&] { return Get(ring); });
    // Blocks until the request above has let the reading go on.
    Put(ring, "retried");
    EXPECT_EQ(again.get(), "retried");
    EXPECT_NE(ring.WaitForRoom(Stopped()), nullptr);
}

} // namespace
} // namespace discread
