// kestrune-rip on discs as other tools write them: the disc's own track
// numbers, --list, whole --disc paths and the library's reasons.

#include "tests/support/disc_images.h"
#include "tests/support/mp3_file.h"
#include "tests/tools/rip_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kestrune::test {
namespace {

class RipDisc : public ::testing::Test {
protected:
    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::string Logs() const { return Path("logs"); }
    // A disc whose tracks are numbered 4 to 7, one WAVE file each.
    std::string FromFour() {
        auto disc = DiscImages::Spec({"audio:75f:noise=1,dcp,title=Opening,isrc=GBAYE0000001",
                                      "audio:150f:noise=2,pre,pregap=10f", "data:30f",
                                      "audio:1:noise=3,dcp,pre"});
        disc.FirstTrack = 4;
        disc.FilePerTrack = true;
        disc.Type = mkdisc::FileType::Wave;
        return images.Make("four", disc);
    }
    DiscImages images;
};

TEST_F(RipDisc, ListPrintsTheTableWithTheDiscsNumbersFlagsIsrcAndTitles) {
    const auto sheet = FromFour();
    RipProcess list({"--disc", sheet, "--list"}, Logs());
    EXPECT_EQ(list.Wait(), 0) << list.Err();
    EXPECT_EQ(list.Out(), "Track  Start     Length    Type   Flags        ISRC          Title\n"
                          // A track runs to the next one's INDEX 01, the pregap of track 5 with it.
                          "    4  0:00.00   0:01.10   audio  DCP          GBAYE0000001  Opening\n"
                          "    5  0:01.10   0:02.00   audio  PRE          -             -\n"
                          "    6  0:03.10   0:00.30   data   -            -             -\n"
                          "    7  0:03.40   0:01.00   audio  DCP PRE      -             -\n"
                          // Worked out apart from the program (see DiscIds): the disc id
                          // counts all four tracks, the audio sums the three audio ones.
                          "MusicBrainz disc id: pIVOY5t7ASQWKsOA8PjK9C8i33k-\n"
                          "FreeDB id: 0f000404\n"
                          "AccurateRip ids: 003-000002b2-00000916-0f000404\n"
                          // The three audio tracks' starts and the lead-out.
                          "CTDB TOC id: F._ZOeqmjG_BimhRBPn6GCkvqHE-\n");
}

TEST_F(RipDisc, TrackNumbersAndFileNamesAreTheDiscsOwn) {
    const auto sheet = FromFour();
    RipProcess four({"--disc", sheet, "--track", "4", "-o", Path("four.mp3")}, Logs());
    EXPECT_EQ(four.Wait(), 0) << four.Err();
    EXPECT_NE(four.Err().find("Track 04 written to"), std::string::npos) << four.Err();
    // 75 sectors, then the 10 of track 5's pregap up to its INDEX 01.
    EXPECT_EQ(DecodeMp3(Path("four.mp3")).Frames(), 85u * 588);

    RipProcess one({"--disc", sheet, "--track", "1", "-o", Path("one.mp3")}, Logs());
    EXPECT_EQ(one.Wait(), 1);
    EXPECT_EQ(one.Err(), "kestrune-rip: the disc has no track 1; its tracks are 4 to 7\n");
    EXPECT_FALSE(std::filesystem::exists(Path("one.mp3")));

    RipProcess all({"--disc", sheet, "--all", "-o", Path("t%n.mp3")}, Logs());
    EXPECT_EQ(all.Wait(), 0) << all.Err();
    for (const char* name : {"t04.mp3", "t05.mp3", "t07.mp3"}) {
        EXPECT_TRUE(std::filesystem::exists(Path(name))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("t06.mp3"))) << "a data track";
    EXPECT_FALSE(std::filesystem::exists(Path("t01.mp3")));
}

TEST_F(RipDisc, ADiscPathIsOneWholePathColonsAndAll) {
    const auto sheet = images.Make("side:a", {"audio:1:noise=4"});
    RipProcess rip({"--disc", sheet, "-o", Path("a.mp3")}, Logs());
    EXPECT_EQ(rip.Wait(), 0) << rip.Err();
    EXPECT_EQ(DecodeMp3(Path("a.mp3")).Frames(), 44100u);
}

TEST_F(RipDisc, AnImageThatCannotBeOpenedIsReportedWithTheLibrarysReason) {
    images.Make("a", {"audio:1"});
    const auto sheet = Path("a.cue");
    std::ofstream(sheet) << "FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                            "FILE \"a-track02.bin\" BINARY\n  TRACK 02 AUDIO\n"
                            "    INDEX 01 00:00:00\n";
    const std::string reason = "Cannot open disc image \"" + sheet +
                               "\": the file \"a-track02.bin\" it names does not exist";
    RipProcess one({"--disc", sheet, "--track", "1", "-o", Path("x.mp3")}, Logs());
    EXPECT_EQ(one.Wait(), 1);
    EXPECT_EQ(one.Err(), "kestrune-rip: track 01: " + reason + "\n");
    RipProcess all({"--disc", sheet, "--all", "-o", Path("t%n.mp3")}, Logs());
    EXPECT_EQ(all.Wait(), 1);
    EXPECT_EQ(all.Err(), "kestrune-rip: " + reason + "\n");
    RipProcess list({"--disc", sheet, "--list"}, Logs());
    EXPECT_EQ(list.Wait(), 1);
    EXPECT_EQ(list.Err(), "kestrune-rip: " + reason + "\n");
    EXPECT_FALSE(std::filesystem::exists(Path("x.mp3")));
}

TEST_F(RipDisc, PreEmphasisedTracksAreDeEmphasisedUnlessAskedToKeepIt) {
    // 5 kHz: the 50/15 µs curve takes 4.53 dB off.
    const auto sheet = images.Make("pre", {"audio:2:sine=5000@-10,pre", "audio:2:sine=5000@-10"});
    const auto level = [&](const std::vector<std::string>& Extra, const std::string& Name) {
        std::vector<std::string> arguments{"--disc", sheet, "-o", Path(Name)};
        arguments.insert(arguments.end(), Extra.begin(), Extra.end());
        RipProcess rip(arguments, Logs());
        EXPECT_EQ(rip.Wait(), 0) << rip.Err();
        return LevelDb(DecodeMp3(Path(Name)).Samples, 2, 0);
    };
    const double plain = level({"--track", "2"}, "plain.mp3");
    EXPECT_NEAR(level({"--track", "1"}, "de-emphasised.mp3") - plain, -4.53, 0.3);
    EXPECT_NEAR(level({"--track", "1", "--keep-emphasis"}, "kept.mp3") - plain, 0, 0.1);
}

} // namespace
} // namespace kestrune::test
