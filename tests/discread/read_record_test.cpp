// The record of what a drive gave paranoia: which sectors some read gave, and
// which failed read explains a sector that was lost.

#include "read_record.h"

#include <gtest/gtest.h>

namespace discread {
namespace {

TEST(ReadRecord, ASectorCountsAsGivenOnlyWhenSomeReadGaveIt) {
    // A read that failed part-way gave what came before the failure; a later
    // read gives the rest.
    ReadRecord record;
    record.Note(10, 20, 5, "sector 15 cannot be read");
    EXPECT_FALSE(record.Delivered(9));
    EXPECT_TRUE(record.Delivered(10));
    EXPECT_TRUE(record.Delivered(14));
    EXPECT_FALSE(record.Delivered(15));
    EXPECT_FALSE(record.Delivered(-1));
    EXPECT_FALSE(record.Delivered(1000));
    record.Note(15, 15, 15, {});
    EXPECT_TRUE(record.Delivered(29));
    EXPECT_FALSE(record.Delivered(30));
}

TEST(ReadRecord, TheFailuresOfARangeAreFoundAndForgotten) {
    // A failure reaches from the first sector it did not give to the end of
    // its read; forgetting a range takes every failure that reaches into it.
    ReadRecord record;
    record.Note(100, 25, 3, "sector 103 cannot be read");
    record.Note(200, 10, 0, "sector 205 cannot be read");
    EXPECT_EQ(record.FirstFailed(0, 103), std::nullopt);
    EXPECT_EQ(record.FirstFailed(0, 104), 103);
    EXPECT_EQ(record.FirstFailed(110, 300), 110);
    EXPECT_EQ(record.FirstFailed(125, 200), std::nullopt);
    EXPECT_EQ(record.FirstFailed(150, 300), 200);
    record.Forget(120, 130);
    EXPECT_EQ(record.FirstFailed(0, 300), 200);
    record.Forget(0, 300);
    EXPECT_EQ(record.FirstFailed(0, 300), std::nullopt);
}

TEST(ReadRecord, ALostSectorIsExplainedByTheFailedReadThatShouldHaveGivenIt) {
    // The nearest failed read over the sector, else the nearest after it
    // (paranoia gives up before a bad sector), else the last one noted, else
    // nothing.
    ReadRecord record;
    EXPECT_EQ(record.WhyLost(5), "");
    record.Note(100, 25, 0, "over 100 to 124");
    record.Note(110, 25, 0, "over 110 to 134");
    record.Note(300, 5, 0, "over 300 to 304");
    record.Note(50, 5, 0, "over 50 to 54");
    EXPECT_EQ(record.WhyLost(105), "over 100 to 124");
    EXPECT_EQ(record.WhyLost(120), "over 110 to 134");
    EXPECT_EQ(record.WhyLost(134), "over 110 to 134");
    EXPECT_EQ(record.WhyLost(135), "over 300 to 304");
    EXPECT_EQ(record.WhyLost(90), "over 100 to 124");
    EXPECT_EQ(record.WhyLost(400), "over 50 to 54");
}

} // namespace
} // namespace discread
