// The v1 checksums of a track at every read offset, found in one read, are
// those of the track moved by that offset, summed position by position.

#include "tools/kestrune-rip/shifted_checksums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace kestrune::rip {
namespace {

// v1 by its definition: the track's positions i from 1, the first audio
// track's from 2940 and the last's to its length less 2940, each sample times i.
std::uint32_t V1(const std::vector<std::uint32_t>& Track, const TrackPlace& Place) {
    const std::uint64_t count = Track.size();
    const std::uint64_t from = Place.First ? 2940 : 1;
    const std::uint64_t to = Place.Last ? count - 2940 : count;
    std::uint64_t sum = 0;
    for (std::uint64_t i = from; i <= to; ++i) {
        sum += (i * Track[i - 1]) & 0xFFFFFFFFU;
    }
    return static_cast<std::uint32_t>(sum);
}

TEST(ShiftedChecksums, EachOffsetGivesTheChecksumOfTheTrackMovedByIt) {
    constexpr std::int32_t range = 700;
    constexpr std::size_t length = 9000;
    std::mt19937 random(7);
    // The read: range samples before the track, the track, range after.
    std::vector<std::uint32_t> read(length + 2 * range);
    std::generate(read.begin(), read.end(), [&] { return static_cast<std::uint32_t>(random()); });
    for (const TrackPlace place : {TrackPlace{}, TrackPlace{true, false, 0},
                                   TrackPlace{false, true, 0}, TrackPlace{true, true, 0}}) {
        SCOPED_TRACE(testing::Message() << "first " << place.First << ", last " << place.Last);
        ShiftedChecksums shifted(length, place, range);
        ASSERT_LE(shifted.Needed(), read.size());
        // Given in pieces that do not fall on sectors, and more than it needs.
        for (std::size_t at = 0; at < read.size(); at += 1001) {
            shifted.Add(std::span(read).subspan(at, std::min<std::size_t>(1001, read.size() - at)));
        }
        const std::vector<std::uint32_t> sums = shifted.Checksums();
        ASSERT_EQ(sums.size(), 2u * range + 1);
        for (const std::int32_t offset : {-range, -range + 1, -6, 0, 1, 667, range}) {
            // Output sample k is the drive's sample k + offset.
            const auto begin = read.begin() + range + offset;
            const std::vector<std::uint32_t> moved(begin, begin + length);
            EXPECT_EQ(sums[static_cast<std::size_t>(offset + range)], V1(moved, place))
                << "offset " << offset;
        }
    }
}

TEST(ShiftedChecksums, WhatTheReadDidNotGiveIsSilence) {
    constexpr std::int32_t range = 100;
    const std::vector<std::uint32_t> track(5000, 3);
    ShiftedChecksums shifted(track.size(), TrackPlace{}, range);
    // The read ends with the track: what the offsets move in is silence.
    std::vector<std::uint32_t> read(range, 0);
    read.insert(read.end(), track.begin(), track.end());
    shifted.Add(read);
    const std::vector<std::uint32_t> sums = shifted.Checksums();
    std::vector<std::uint32_t> moved(track.begin() + 40, track.end());
    moved.resize(track.size(), 0);
    EXPECT_EQ(sums[range + 40], V1(moved, TrackPlace{}));
    EXPECT_EQ(sums[range], V1(track, TrackPlace{}));
}

} // namespace
} // namespace kestrune::rip
