#include "tools/kestrune-rip/disc_ids.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kestrune::rip {
namespace {

constexpr std::uint8_t Audio = 0x00;
constexpr std::uint8_t Data = 0x04;

// A table from the starts of its tracks (sectors as the disc's table gives
// them) and the lead-out, numbered from First.
std::vector<DiscTrack> Table(const std::vector<std::int32_t>& Starts, std::int32_t LeadOut,
                             const std::vector<std::uint8_t>& Flags = {}, std::int32_t First = 1) {
    std::vector<DiscTrack> tracks;
    for (std::size_t i = 0; i < Starts.size(); ++i) {
        DiscTrack track;
        track.Position = static_cast<std::int32_t>(i) + 1;
        track.Number = First + static_cast<std::int32_t>(i);
        track.Start = Starts[i];
        track.Sectors = (i + 1 < Starts.size() ? Starts[i + 1] : LeadOut) - Starts[i];
        track.Flag = i < Flags.size() ? Flags[i] : Audio;
        tracks.push_back(track);
    }
    return tracks;
}

// The expected ids below were worked out apart from this code, with a few
// lines of Python over the published formulas (SHA-1 of the hexadecimal table
// for MusicBrainz; digit sums of the start seconds for FreeDB).

TEST(DiscIds, TheWebServiceDocumentationsExampleDiscGetsItsPublishedId) {
    // The example disc of the MusicBrainz web service's documentation, whose
    // toc= is "1 12 267257 150 22767 ..." (sectors counted from the lead-in).
    const std::vector<std::int32_t> fromLeadIn{150,    22767,  41887,  58317,  72102,  91375,
                                               104652, 115380, 132165, 143932, 159870, 174597};
    std::vector<std::int32_t> starts;
    for (const std::int32_t start : fromLeadIn) {
        starts.push_back(start - 150);
    }
    const DiscIds ids = ComputeDiscIds(Table(starts, 267257 - 150));
    EXPECT_EQ(ids.MusicBrainz, "I5l9cCSFccLKFEKS.7wqSZAorPU-");
    EXPECT_EQ(ids.FreeDb, "a70de90c");
    EXPECT_EQ(ids.AudioTracks, 12);
}

TEST(DiscIds, AnEnhancedCdIsKnownByItsAudioSessionAndTheAccurateRipSumsByTheDisc) {
    // Three audio tracks, then a data track in a second session: the audio
    // session ends 11400 sectors before the data begins.
    const auto tracks = Table({0, 20000, 40000, 70000}, 90000, {Audio, Audio, Audio, Data});
    const DiscIds ids = ComputeDiscIds(tracks);
    EXPECT_EQ(ids.MusicBrainz, "CVmT3JZYDkTOeEfIhPHQNHjJCkU-");
    EXPECT_EQ(ids.FreeDb, "1f030d03");
    // Audio starts and the disc's own lead-out; the first start weighs as 1.
    EXPECT_EQ(ids.AccurateRip1, 0U + 20000 + 40000 + 90000);
    EXPECT_EQ(ids.AccurateRip2, 1U * 1 + 20000 * 2 + 40000 * 3 + 90000 * 4);
    EXPECT_EQ(ids.AudioTracks, 3);
    EXPECT_EQ(FormatDiscIds(ids), "MusicBrainz disc id: CVmT3JZYDkTOeEfIhPHQNHjJCkU-\n"
                                  "FreeDB id: 1f030d03\n"
                                  "AccurateRip ids: 003-000249f0-0007ef41-1f030d03\n"
                                  "CTDB TOC id: _43CNV8ohjulZeI_nigvTalHJbo-\n");
}

// The published example of a CTDB TOC id (a table "4+96+2D2B+6256+B327+D84A",
// sectors from the lead-in); the Enhanced CD's above was worked out apart with
// Python's hashlib over the same rule, its lead-out the audio session's.
TEST(DiscIds, TheCueToolsTocIdIsThatOfThePublishedExample) {
    const DiscIds ids =
        ComputeDiscIds(Table({0x96 - 150, 0x2D2B - 150, 0x6256 - 150, 0xB327 - 150}, 0xD84A - 150));
    EXPECT_EQ(ids.CueToolsDb, "VukMWWItblELRM.CEFpXxw0FlME-");
}

TEST(DiscIds, DataAtTheStartStaysInTheDiscIdButNotInTheAudioSums) {
    // A mixed-mode disc: its data track comes first and is part of the one
    // session, so MusicBrainz counts it; the audio checksums count audio only,
    // numbered from 1.
    const DiscIds ids = ComputeDiscIds(Table({0, 10000, 30000}, 50000, {Data, Audio, Audio}));
    EXPECT_EQ(ids.MusicBrainz, "PIQj4B.uvsWd1iYH3zr_APZf3n0-");
    EXPECT_EQ(ids.FreeDb, "11029a03");
    EXPECT_EQ(ids.AccurateRip1, 10000U + 30000 + 50000);
    EXPECT_EQ(ids.AccurateRip2, 10000U * 1 + 30000 * 2 + 50000 * 3);
    EXPECT_EQ(ids.AudioTracks, 2);
}

TEST(DiscIds, DiscsThatCannotHaveAnIdAreRefused) {
    // No audio at all, and an image whose data follows the audio with no room
    // for a session gap (the audio then ends where the data starts).
    EXPECT_THROW(ComputeDiscIds(Table({0}, 5000, {Data})), std::runtime_error);
    const DiscIds gapless = ComputeDiscIds(Table({0, 225, 525}, 750, {Audio, Audio, Data}));
    const DiscIds audioOnly = ComputeDiscIds(Table({0, 225}, 525));
    EXPECT_EQ(gapless.MusicBrainz, audioOnly.MusicBrainz);
    // Numbers that skip one cannot be put into a disc id.
    auto skipping = Table({0, 20000, 40000}, 60000);
    skipping[2].Number = 5;
    EXPECT_THROW(ComputeDiscIds(skipping), std::runtime_error);
}

} // namespace
} // namespace kestrune::rip
