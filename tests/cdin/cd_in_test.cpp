#include "tests/cdin/cd_in_fixture.h"

#include <filesystem>
#include <limits>

namespace kestrune::test {
namespace {

TEST_F(CDInTest, DiscContentAndDriveStateTellEachKindOfDisc) {
    const auto audio =
        images.Make("audio", {"audio:40f", "audio:30f:silence,dcp", "audio:20f:noise,pre"});
    const auto mixed = images.Make("mixed", {"audio:40f", "data:30f"});
    const auto data = images.Make("data", {"data:30f", "data:20f"});
    const auto source =
        Source({audio, mixed, data, images.Missing("none"), images.Garbage("unreadable")});

    const struct {
        TDiscContent content;
        TDriveState state;
    } expected[] = {{TDiscContent::dcAudio, TDriveState::dsReady},
                    {TDiscContent::dcMixed, TDriveState::dsReady},
                    {TDiscContent::dcData, TDriveState::dsReady},
                    {TDiscContent::dcNoDisc, TDriveState::dsNoDisc},
                    {TDiscContent::dcUnknown, TDriveState::dsReady}};
    for (int drive = 0; drive < 5; ++drive) {
        source->SetCurrentDrive(drive);
        ASSERT_EQ(source->CurrentDrive(), drive);
        EXPECT_EQ(source->DiscContent(), expected[drive].content) << "drive " << drive;
        EXPECT_EQ(source->DriveState(), expected[drive].state) << "drive " << drive;
        EXPECT_EQ(source->DriveUseCount(), 0) << "drive " << drive;
    }
}

TEST_F(CDInTest, TracksWithCopyOrEmphasisBitsAreAudioAndDataTracksAreNot) {
    const auto source =
        Source({images.Make("flags", {"audio:75f,dcp", "audio:150f,pre", "data:80f"})});
    EXPECT_EQ(source->TrackCount(), 3);
    EXPECT_EQ(source->TrackSpan(1).IsData, 0);
    EXPECT_EQ(source->TrackSpan(2).IsData, 0);
    EXPECT_EQ(source->TrackSpan(3).IsData, 1);
    const TDiscTime second = source->TrackSpan(2).Length;
    EXPECT_EQ(second.Minutes, 0);
    EXPECT_EQ(second.Seconds, 2);
    EXPECT_EQ(second.Frames, 0);
    EXPECT_EQ(source->TrackSpan(3).Length.Frames, 5);
    EXPECT_EQ(MessageOf([&] { static_cast<void>(source->TrackSpan(0)); }), "Track out of range.");
    EXPECT_EQ(MessageOf([&] { static_cast<void>(source->TrackSpan(4)); }), "Track out of range.");

    source->SetStartTrack(3);
    source->SetEndTrack(3);
    EXPECT_EQ(MessageOf([&] { source->OpenSource(); }), "Trying to rip a data track");
    source->SetStartTrack(2);
    source->SetEndTrack(2);
    source->OpenSource();
    EXPECT_EQ(source->Size(), 150 * 2352);
    source->CloseSource();
    EXPECT_EQ(source->DriveUseCount(), 0);
}

TEST_F(CDInTest, UnreadableTableGivesNoTracks) {
    const auto junk = images.Garbage("junk");
    const auto source = Source({junk});
    EXPECT_EQ(source->TrackCount(), -1);
    source->SetStartTrack(1);
    source->SetEndTrack(1);
    // The library's reason instead of a track number that says nothing.
    EXPECT_EQ(MessageOf([&] { source->OpenSource(); }),
              "Cannot open disc image \"" + junk + "\": line 1 has the unknown keyword \"this\"");
    EXPECT_EQ(MessageOf([&] { static_cast<void>(source->TrackSpan(1)); }), "Track out of range.");
    EXPECT_EQ(source->DriveUseCount(), 0);
}

TEST_F(CDInTest, SizeCoversAMiddleTrackOrTheLastTrackUpToTheLeadOut) {
    const auto source = Source({images.Make("three", {"audio:100f", "audio:60f", "audio:33f"})});
    source->SetStartTrack(2);
    source->SetEndTrack(2);
    source->OpenSource();
    EXPECT_EQ(source->Size(), 60 * 2352);
    EXPECT_EQ(source->Position(), 0);
    EXPECT_TRUE(source->Busy());
    EXPECT_EQ(source->DriveUseCount(), 1) << "an open reading holds the drive";
    source->CloseSource();
    EXPECT_EQ(source->Size(), 0);
    EXPECT_EQ(source->DriveUseCount(), 0);

    source->SetStartTrack(3);
    source->SetEndTrack(3);
    source->OpenSource();
    EXPECT_EQ(source->Size(), 33 * 2352);
    source->CloseSource();

    source->SetStartTrack(1);
    source->SetEndTrack(3);
    source->OpenSource();
    EXPECT_EQ(source->Size(), 193 * 2352);
    source->CloseSource();

    // An end track of 0 passes its check and gives an empty range from track 1.
    source->SetStartTrack(1);
    source->SetEndTrack(0);
    source->OpenSource();
    EXPECT_EQ(source->Size(), 0);
    source->CloseSource();
}

TEST_F(CDInTest, OpenSourceChecksInOrderAndLeavesTheSourceIdleOnEveryRefusal) {
    const auto audio = images.Make("audio", {"audio:30f", "audio:30f", "audio:30f"});
    const auto source = Source({audio, images.Missing("none")});

    source->SetCurrentDrive(1);
    source->SetStartTrack(1);
    source->SetEndTrack(1);
    EXPECT_EQ(MessageOf([&] { source->OpenSource(); }), "The drive is not ready");
    source->SetCurrentDrive(0);

    const struct {
        std::int32_t start, end;
        const char* message;
    } refusals[] = {{0, 1, "The start track out of range"},
                    {4, 4, "The start track out of range"},
                    {1, 4, "The end track out of range"},
                    {1, -2, "The end track out of range"},
                    {3, 1, "The end track out of range"},
                    // The largest number must not wrap round to the smallest.
                    {1, std::numeric_limits<std::int32_t>::max(), "The end track out of range"}};
    for (const auto& r : refusals) {
        source->SetStartTrack(r.start);
        source->SetEndTrack(r.end);
        EXPECT_EQ(MessageOf([&] { source->OpenSource(); }), r.message) << r.start << ".." << r.end;
        EXPECT_FALSE(source->Busy());
        EXPECT_EQ(source->DriveUseCount(), 0);
    }

    source->SetStartTrack(1);
    source->SetEndTrack(1);
    source->OpenSource();
    EXPECT_EQ(MessageOf([&] { source->OpenSource(); }), "The component is busy");
    EXPECT_EQ(MessageOf([&] { source->SetStartTrack(2); }), "The component is buisy");
    EXPECT_EQ(MessageOf([&] { source->SetEndTrack(2); }), "The component is busy");
    EXPECT_EQ(source->StartTrack(), 1);
    EXPECT_EQ(source->EndTrack(), 1);
    EXPECT_EQ(source->DriveUseCount(), 1);
    source->CloseSource();
    EXPECT_EQ(source->DriveUseCount(), 0);
}

TEST_F(CDInTest, TracksTheImageDoesNotHoldAreRefusedNotEmpty) {
    // Track 2 is listed at sector 75, but the data file ends at sector 60: a
    // range that reads nothing must not pass for an empty track.
    const auto cut = images.Make("cut", {"audio:1", "audio:1"}, 90);
    const auto source = Source({cut});
    source->SetStartTrack(2);
    source->SetEndTrack(2);
    EXPECT_EQ(MessageOf([&] { source->OpenSource(); }),
              "The disc could not be read at sector 75 (error 5): the range starts at sector 75, "
              "where the disc's data has ended (sector 60)");
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(source->DriveUseCount(), 0);
}

TEST_F(CDInTest, AnImageLargerThanTheByteCountCanHoldIsRefused) {
    // A sparse data file of 2.5 GiB: a table whose one track is longer than the
    // 32-bit byte count (and than any CD).
    const auto cue = images.Make("huge", {"audio:10f"});
    const auto bin = cue.substr(0, cue.size() - 4) + ".bin";
    std::filesystem::resize_file(bin, 2560ull << 20);
    const auto source = Source({cue});
    source->SetStartTrack(1);
    source->SetEndTrack(1);
    EXPECT_EQ(MessageOf([&] { source->OpenSource(); }), "Cannot open disc image \"" + cue +
                                                            "\": the file \"" + bin +
                                                            "\" is larger than the longest CD");
    EXPECT_FALSE(source->Busy());
    EXPECT_EQ(source->DriveUseCount(), 0);
}

TEST_F(CDInTest, CurrentDriveKeepsToTheDrivesTheLibraryHas) {
    const auto source = Source({images.Make("a", {"audio:10f"}), images.Make("b", {"audio:10f"})});
    EXPECT_EQ(source->CurrentDrive(), 0);
    source->SetCurrentDrive(1);
    EXPECT_EQ(source->CurrentDrive(), 1);
    source->SetCurrentDrive(2);
    EXPECT_EQ(source->CurrentDrive(), 1);
    source->SetCurrentDrive(-1);
    EXPECT_EQ(source->CurrentDrive(), 1);
    EXPECT_EQ(source->DriveUseCount(), 0);
}

TEST_F(CDInTest, ClosedSourceRefusesToReadAndClosesHarmlessly) {
    const auto source = Source({images.Make("a", {"audio:10f"})});
    // A fresh source has every field zero, its chunk counters too.
    EXPECT_EQ(source->ChunkStart(), 0);
    EXPECT_EQ(source->ChunkEnd(), 0);
    EXPECT_EQ(source->Position(), 0);
    std::array<std::byte, 16384> block{};
    EXPECT_EQ(MessageOf([&] { source->ReadBlock(block); }), "The Stream is not opened");
    EXPECT_NO_THROW(source->CloseSource());
    EXPECT_NO_THROW(source->CloseSource());
    EXPECT_EQ(source->Size(), 0);
    EXPECT_EQ(source->DriveUseCount(), 0);
    EXPECT_EQ(source->GetBitsPerSample(), 16);
    EXPECT_EQ(source->GetChannels(), 2);
    EXPECT_EQ(source->GetSampleRate(), 44100);
}

TEST(DiscTime, SectorsAndDiscTimeConvertBothWays) {
    const TDiscTime time = SectorsToDiscTime(75 * 61 + 13);
    EXPECT_EQ(time.Minutes, 1);
    EXPECT_EQ(time.Seconds, 1);
    EXPECT_EQ(time.Frames, 13);
    EXPECT_EQ(DiscTimeToSectors(time), 75 * 61 + 13);
    EXPECT_EQ(DiscTimeToSectors({}), 0);
}

} // namespace
} // namespace kestrune::test
