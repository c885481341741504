// kestrune-rip names and tags what it writes from the disc's CD-Text and the
// command line's texts: -o patterns and track lists, an ID3v2.4 tag (UTF-8)
// and an ID3v1 tag (Latin-1), read back here with a reader that is not the
// program's.

#include "tests/support/disc_images.h"
#include "tests/support/mp3_file.h"
#include "tests/tools/rip_process.h"
#include "tests/tools/tag_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kestrune::test {
namespace {

class RipTags : public ::testing::Test {
protected:
    RipTags() { ::setenv("XDG_CONFIG_HOME", (images.Folder() / "config").c_str(), 1); }
    ~RipTags() override { ::unsetenv("DISCREAD_DRIVES"); }
    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::filesystem::path Logs() const { return images.Folder() / "logs"; }

    // Three audio tracks with CD-Text in Greek and Japanese, an untitled one
    // and a data track after them.
    std::string AlbumWithCdText() {
        auto disc = DiscImages::Spec({"audio:2:melody=1@-10,title=Καλημέρα κόσμε",
                                      "audio:1:melody=2@-10,title=東京の夜", "audio:1:melody=3@-10",
                                      "data:1"});
        disc.Title = "Ωμέγα Album";
        disc.Performer = "Björk & Ünal";
        return images.Make("album", disc);
    }
    DiscImages images;
};

TEST_F(RipTags, EveryTrackOfADiscIsTaggedFromItsCdTextOnAnImageAndOnADrive) {
    // An image's texts come from its sheet, a drive's from libcdio's CD-Text:
    // the tags must not depend on which.
    const std::string sheet = AlbumWithCdText();
    RipProcess image({"--disc", sheet, "--all", "--quiet", "-o", Path("image-%n.mp3")}, Logs());
    ASSERT_EQ(image.Wait(), 0) << image.Err();
    UseDrives({sheet});
    RipProcess drive({"--all", "--quiet", "-o", Path("drive-%n.mp3")}, Logs());
    ASSERT_EQ(drive.Wait(), 0) << drive.Err();

    for (const std::string from : {"image", "drive"}) {
        SCOPED_TRACE(from);
        const auto first = ReadId3v2(Path(from + "-01.mp3"));
        EXPECT_EQ(first.at("version"), "2.4.0");
        EXPECT_EQ(first.at("TIT2"), "Καλημέρα κόσμε");
        EXPECT_EQ(first.at("TALB"), "Ωμέγα Album");
        EXPECT_EQ(first.at("TPE2"), "Björk & Ünal");
        // No performer of its own: the track's artist is the album's.
        EXPECT_EQ(first.at("TPE1"), "Björk & Ünal");
        // Counted among the audio tracks; the data track is none of them.
        EXPECT_EQ(first.at("TRCK"), "1/3");
        EXPECT_EQ(ReadId3v2(Path(from + "-02.mp3")).at("TIT2"), "東京の夜");
        const auto third = ReadId3v2(Path(from + "-03.mp3"));
        EXPECT_EQ(third.count("TIT2"), 0U) << "an untitled track has no title frame";
        EXPECT_EQ(third.at("TRCK"), "3/3");

        // Version 1 holds Latin-1: what it has stays, the rest becomes '?'.
        const auto old = ReadId3v1(Path(from + "-01.mp3"));
        ASSERT_TRUE(old.has_value());
        EXPECT_EQ(old->Title, "???????? ?????");
        EXPECT_EQ(old->Artist, "Bj\xF6rk & \xDCnal");
        EXPECT_EQ(old->Comment, "Velmora DG [Ostin] - Kestrune") << "whole, with no track number";
        // The tag at the head leaves the audio and its exact length alone.
        EXPECT_EQ(DecodeMp3(Path(from + "-01.mp3")).Frames(), 2U * 44100);
    }
}

TEST_F(RipTags, TheCommandLineWinsOverTheDiscAndNoAlbumIsMadeUp) {
    const std::string sheet = AlbumWithCdText();
    RipProcess one({"--disc", sheet, "--track", "2", "--quiet", "-o", Path("two.mp3"), "--title",
                    "Ночь", "--artist", "Solo", "--album-artist", "Various", "--year", "1999"},
                   Logs());
    ASSERT_EQ(one.Wait(), 0) << one.Err();
    const auto tags = ReadId3v2(Path("two.mp3"));
    EXPECT_EQ(tags.at("TIT2"), "Ночь");
    EXPECT_EQ(tags.at("TPE1"), "Solo");
    EXPECT_EQ(tags.at("TPE2"), "Various");
    EXPECT_EQ(tags.at("TALB"), "Ωμέγα Album") << "what the command line leaves, the disc gives";
    EXPECT_EQ(tags.at("TDRC"), "1999");
    EXPECT_EQ(tags.at("TRCK"), "2/3");

    // A disc without CD-Text: no album of the program's own making.
    const std::string bare = images.Make("bare", {"audio:1"});
    RipProcess plain({"--disc", bare, "--quiet", "-o", Path("bare.mp3")}, Logs());
    ASSERT_EQ(plain.Wait(), 0) << plain.Err();
    const auto none = ReadId3v2(Path("bare.mp3"));
    EXPECT_EQ(none.count("TALB"), 0U);
    EXPECT_EQ(none.count("TIT2"), 0U);
    EXPECT_EQ(none.at("TRCK"), "1/1");
    const auto old = ReadId3v1(Path("bare.mp3"));
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(old->Album, "");
}

TEST_F(RipTags, WithAllTheArtistIsTheAlbumsAndATitleIsRefused) {
    const std::string sheet = AlbumWithCdText();
    RipProcess titled({"--disc", sheet, "--all", "--title", "One for all", "-o", Path("t%n.mp3")},
                      Logs());
    EXPECT_EQ(titled.Wait(), 2);
    EXPECT_NE(titled.Err().find("--title names one track"), std::string::npos) << titled.Err();
    EXPECT_FALSE(std::filesystem::exists(Path("t01.mp3")));

    RipProcess all(
        {"--disc", sheet, "--all", "--quiet", "--artist", "Guest", "-o", Path("a%n.mp3")}, Logs());
    ASSERT_EQ(all.Wait(), 0) << all.Err();
    const auto tags = ReadId3v2(Path("a02.mp3"));
    EXPECT_EQ(tags.at("TPE2"), "Guest");
    EXPECT_EQ(tags.at("TPE1"), "Guest");
    EXPECT_EQ(tags.at("TIT2"), "東京の夜");
}

TEST_F(RipTags, StandardOutputGetsTheVersionOneTagAlone) {
    // A pipe cannot take a tag at its head once the audio has gone out.
    const std::string sheet = AlbumWithCdText();
    RipProcess piped({"--disc", sheet, "--quiet", "-o", "-"}, Logs());
    ASSERT_EQ(piped.Wait(), 0) << piped.Err();
    const std::string out = piped.Out();
    ASSERT_GT(out.size(), 128U);
    EXPECT_NE(out.substr(0, 3), "ID3");
    EXPECT_EQ(out.substr(out.size() - 128, 3), "TAG");
}

TEST_F(RipTags, PatternsNameFilesInFoldersOfTheirOwnOnAnImageAndOnADrive) {
    // A performer with a '/' must not make a folder of its own.
    auto disc = DiscImages::Spec({"audio:1,title=Καλημέρα", "audio:1,title=東京", "audio:1"});
    disc.Title = "Live";
    disc.Performer = "AC/DC";
    const std::string sheet = images.Make("named", disc);
    const std::string pattern = "%A/%b/%n - %t.mp3";
    RipProcess image({"--disc", sheet, "--all", "--quiet", "-o", Path("image/" + pattern)}, Logs());
    ASSERT_EQ(image.Wait(), 0) << image.Err();
    UseDrives({sheet});
    RipProcess drive({"--all", "--quiet", "-o", Path("drive/" + pattern)}, Logs());
    ASSERT_EQ(drive.Wait(), 0) << drive.Err();
    for (const std::string from : {"image", "drive"}) {
        SCOPED_TRACE(from);
        const std::string folder = Path(from + "/AC_DC/Live/");
        for (const std::string name : {"01 - Καλημέρα.mp3", "02 - 東京.mp3", "03 - Track 03.mp3"}) {
            EXPECT_TRUE(std::filesystem::exists(folder + name)) << folder + name;
        }
        EXPECT_EQ(ReadId3v2(folder + "02 - 東京.mp3").at("TRCK"), "2/3");
    }
}

TEST_F(RipTags, TwoTracksForOneNameAreRefusedBeforeAnythingIsRipped) {
    const std::string sheet = images.Make("untitled", {"audio:1", "audio:1"});
    RipProcess same({"--disc", sheet, "--all", "-o", Path("%b.mp3")}, Logs());
    EXPECT_EQ(same.Wait(), 2);
    EXPECT_NE(
        same.Err().find("tracks 01 and 02 would both be written to " + Path("Unknown Album.mp3")),
        std::string::npos)
        << same.Err();
    EXPECT_FALSE(std::filesystem::exists(Path("Unknown Album.mp3")));
}

TEST_F(RipTags, ATrackListRipsThoseTracksAndSkipsTheDataAmongThem) {
    const std::string sheet = images.Make(
        "five", {"audio:1:melody=1", "audio:1:melody=2", "data:1", "audio:1:melody=4", "audio:1"});
    RipProcess some({"--disc", sheet, "--track", "4,2-3", "--quiet", "-o", Path("t%n.mp3")},
                    Logs());
    ASSERT_EQ(some.Wait(), 0) << some.Err();
    EXPECT_TRUE(std::filesystem::exists(Path("t02.mp3")));
    EXPECT_TRUE(std::filesystem::exists(Path("t04.mp3")));
    for (const char* left : {"t01.mp3", "t03.mp3", "t05.mp3"}) {
        EXPECT_FALSE(std::filesystem::exists(Path(left))) << left;
    }
    EXPECT_EQ(ReadId3v2(Path("t04.mp3")).at("TRCK"), "4/4") << "counted among the audio tracks";

    RipProcess missing({"--disc", sheet, "--track", "2,9", "-o", Path("m%n.mp3")}, Logs());
    EXPECT_EQ(missing.Wait(), 1);
    EXPECT_NE(missing.Err().find("the disc has no track 9; its tracks are 1 to 5"),
              std::string::npos)
        << missing.Err();
    EXPECT_FALSE(std::filesystem::exists(Path("m02.mp3")));
}

// What the independent measurement says of the sector ranges of Bin: one
// "track GAIN PEAK" line per range, then "album GAIN PEAK".
std::vector<std::pair<double, double>> MeasuredApart(const std::string& Bin,
                                                     const std::vector<std::string>& Ranges) {
    std::string command =
        "/usr/bin/python3 " SOURCE_DIR "/tests/tools/loudness_reference.py '" + Bin + "'";
    for (const std::string& range : Ranges) {
        command += " " + range;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::vector<std::pair<double, double>> figures;
    char kind[16];
    double gain = 0;
    double peak = 0;
    while (pipe && std::fscanf(pipe.get(), "%15s %lf %lf", kind, &gain, &peak) == 3) {
        figures.emplace_back(gain, peak);
    }
    return figures;
}

double Decibels(const std::string& Text) {
    return std::stod(Text.substr(0, Text.find(' ')));
}

TEST_F(RipTags, ReplayGainAgreesWithAMeasurementMadeApart) {
    // Three tracks of very different loudness: a loud tone, a quiet one and
    // noise, so the album's gain lies between theirs and is no track's own.
    const std::string sheet = images.Make(
        "loud", {"audio:3:sine=440@-6", "audio:3:sine=1000@-20", "audio:3:noise=3@-12"});
    const auto expected = MeasuredApart(Path("loud.bin"), {"0:225", "225:225", "450:225"});
    ASSERT_EQ(expected.size(), 4U) << "the reference measurement ran";
    UseDrives({sheet});
    RipProcess all({"--all", "--quiet", "-o", Path("rg%n.mp3")}, Logs());
    ASSERT_EQ(all.Wait(), 0) << all.Err();
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i + 1);
        const auto tags = ReadId3v2(Path("rg0" + std::to_string(i + 1) + ".mp3"));
        EXPECT_NEAR(Decibels(tags.at("TXXX:REPLAYGAIN_TRACK_GAIN")), expected[i].first, 0.05);
        EXPECT_NEAR(std::stod(tags.at("TXXX:REPLAYGAIN_TRACK_PEAK")), expected[i].second, 1e-4);
        EXPECT_NEAR(Decibels(tags.at("TXXX:REPLAYGAIN_ALBUM_GAIN")), expected[3].first, 0.05);
        EXPECT_NEAR(std::stod(tags.at("TXXX:REPLAYGAIN_ALBUM_PEAK")), expected[3].second, 1e-4);
        // The album's figures came in a second step: the audio is still whole.
        EXPECT_EQ(DecodeMp3(Path("rg0" + std::to_string(i + 1) + ".mp3")).Frames(), 3U * 44100);
    }
    EXPECT_EQ(PartialSize(images.Folder()), 0U) << "no copy left behind";
    ::unsetenv("DISCREAD_DRIVES");

    // The image read as an image gives the album the same figures.
    RipProcess image({"--disc", sheet, "--all", "--quiet", "-o", Path("im%n.mp3")}, Logs());
    ASSERT_EQ(image.Wait(), 0) << image.Err();
    EXPECT_NEAR(Decibels(ReadId3v2(Path("im03.mp3")).at("TXXX:REPLAYGAIN_ALBUM_GAIN")),
                expected[3].first, 0.05);

    // A single track has its own gain, from its own audio.
    RipProcess one({"--disc", sheet, "--track", "2", "--quiet", "-o", Path("one.mp3")}, Logs());
    ASSERT_EQ(one.Wait(), 0) << one.Err();
    const auto tags = ReadId3v2(Path("one.mp3"));
    EXPECT_NEAR(Decibels(tags.at("TXXX:REPLAYGAIN_TRACK_GAIN")), expected[1].first, 0.05);
    EXPECT_EQ(tags.count("TXXX:REPLAYGAIN_ALBUM_GAIN"), 0U);
}

} // namespace
} // namespace kestrune::test
