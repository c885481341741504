// The cue sheet of ripped files: what a player or a burner reads back must
// name the files where they are and keep the disc's facts, never a text that
// breaks the sheet's syntax.

#include "tests/support/disc_images.h"
#include "tests/tools/rip_process.h"
#include "tools/kestrune-rip/cue_sheet_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kestrune::rip {
namespace {

PlannedTrack Planned(std::int32_t Number, const std::string& Output, std::uint8_t Flag) {
    PlannedTrack planned;
    planned.Track.Number = Number;
    planned.Track.Flag = Flag;
    planned.Output = Output;
    planned.Tags.Title = "Track \"" + std::to_string(Number) + "\"\nend";
    planned.Tags.Album = "Album";
    planned.Tags.AlbumArtist = "Band";
    planned.Tags.Date = "1998-11-23";
    return planned;
}

TEST(CueSheetText, NamesTheFilesFromTheSheetsFolderAndKeepsTheDiscsFacts) {
    std::vector<PlannedTrack> tracks{Planned(2, "/music/disc/02.mp3", 0x13),
                                     Planned(3, "/music/disc/cd1/03.mp3", 0x10),
                                     Planned(4, "/elsewhere/04.mp3", 0x10)};
    tracks[0].Tags.Isrc = "GRA019800101";
    tracks[1].Tags.Isrc = "short";
    tracks[1].Tags.Artist = "Guest";
    const std::string sheet =
        FormatCueSheet("/music/disc/album.cue", tracks, {"4988001234567", "a70de90c", false});
    EXPECT_EQ(sheet, "REM DATE 1998\n"
                     "REM DISCID a70de90c\n"
                     "CATALOG 4988001234567\n"
                     "PERFORMER \"Band\"\n"
                     "TITLE \"Album\"\n"
                     // Copy permitted is the disc's; the de-emphasised file has no pre-emphasis.
                     "FILE \"02.mp3\" MP3\n"
                     "  TRACK 02 AUDIO\n"
                     "    TITLE \"Track '2' end\"\n"
                     "    FLAGS DCP\n"
                     "    ISRC GRA019800101\n"
                     "    INDEX 01 00:00:00\n"
                     "FILE \"cd1/03.mp3\" MP3\n"
                     "  TRACK 03 AUDIO\n"
                     "    TITLE \"Track '3' end\"\n"
                     "    PERFORMER \"Guest\"\n"
                     "    INDEX 01 00:00:00\n"
                     "FILE \"/elsewhere/04.mp3\" MP3\n"
                     "  TRACK 04 AUDIO\n"
                     "    TITLE \"Track '4' end\"\n"
                     "    INDEX 01 00:00:00\n");
    // Audio kept as the disc holds it keeps its flag; a catalogue that is no
    // thirteen digits and an id that is no eight hexadecimal ones are left out.
    const std::string kept =
        FormatCueSheet("/music/disc/album.cue", {tracks[0]}, {"barcode 123", "xyz", true});
    EXPECT_NE(kept.find("    FLAGS DCP PRE\n"), std::string::npos) << kept;
    EXPECT_EQ(kept.find("CATALOG"), std::string::npos) << kept;
    EXPECT_EQ(kept.find("DISCID"), std::string::npos) << kept;
}

TEST(CueSheetText, APregapEndsTheFileInFrontOrIsSilenceWhenNoFileHoldsIt) {
    std::vector<PlannedTrack> tracks{Planned(1, "/m/01.mp3", 0x10), Planned(2, "/m/02.mp3", 0x10),
                                     Planned(4, "/m/04.mp3", 0x10)};
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        tracks[i].Track.Position = tracks[i].Track.Number;
        tracks[i].Track.Sectors = 750;
        tracks[i].Tags = {};
    }
    // Track 1's pregap lies before the disc's first audio in no file; track
    // 2's ends track 1's file; track 3 was not ripped, so track 4's is in no file.
    tracks[0].Track.Pregap = 33;
    tracks[1].Track.Pregap = 150;
    tracks[2].Track.Pregap = 80;
    EXPECT_EQ(FormatCueSheet("/m/a.cue", tracks, {}), "FILE \"01.mp3\" MP3\n"
                                                      "  TRACK 01 AUDIO\n"
                                                      "    PREGAP 00:00:33\n"
                                                      "    INDEX 01 00:00:00\n"
                                                      "  TRACK 02 AUDIO\n"
                                                      "    INDEX 00 00:08:00\n"
                                                      "FILE \"02.mp3\" MP3\n"
                                                      "    INDEX 01 00:00:00\n"
                                                      "FILE \"04.mp3\" MP3\n"
                                                      "  TRACK 04 AUDIO\n"
                                                      "    PREGAP 00:01:05\n"
                                                      "    INDEX 01 00:00:00\n");
}

} // namespace
} // namespace kestrune::rip

namespace kestrune::test {
namespace {

std::string ReadText(const std::filesystem::path& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CueSheetFile, ARunOfTracksWritesItsSheetWithTheDiscsGapsAndNeverTheImagesOwn) {
    DiscImages images;
    // A stored pregap (INDEX 00) and one no file holds (PREGAP).
    auto spec = DiscImages::Spec({"audio:1:sine=440@-12,title=One", "audio:1:sine=500@-12,pregap=1",
                                  "audio:1:sine=600@-12,gap=0.5", "data:1"});
    spec.Title = "The Album";
    const auto cue = images.Make("d", spec);
    const auto folder = images.Folder();
    // The same gaps whether the image's reader or a drive's (libcdio) reads them.
    for (const bool drive : {false, true}) {
        SCOPED_TRACE(drive ? "drive" : "image");
        const auto out = folder / (drive ? "drive" : "image");
        std::vector<std::string> words{"--all", "--quiet",
                                       "-o",    (out / "%n.mp3").string(),
                                       "--cue", (out / "album.cue").string()};
        if (drive) {
            UseDrives({cue});
        } else {
            words.insert(words.begin(), {"--disc", cue});
        }
        RipProcess rip(words, folder / "logs");
        ASSERT_EQ(rip.Wait(), 0) << rip.Err();
        ::unsetenv("DISCREAD_DRIVES");
        const std::string sheet = ReadText(out / "album.cue");
        // Track 2's pregap ends track 1's file; track 3's silence ends track 2's.
        EXPECT_NE(sheet.find("TITLE \"The Album\"\n"
                             "FILE \"01.mp3\" MP3\n  TRACK 01 AUDIO\n    TITLE \"One\"\n"
                             "    INDEX 01 00:00:00\n"
                             "  TRACK 02 AUDIO\n    INDEX 00 00:01:00\n"
                             "FILE \"02.mp3\" MP3\n    INDEX 01 00:00:00\n"
                             "  TRACK 03 AUDIO\n    INDEX 00 00:01:00\n"
                             "FILE \"03.mp3\" MP3\n    INDEX 01 00:00:00\n"),
                  std::string::npos)
            << sheet;
        EXPECT_EQ(sheet.find("TRACK 04"), std::string::npos)
            << "the data track is no file: " << sheet;
    }

    // The image's own sheet as the cue sheet: refused before anything is ripped.
    const std::string before = ReadText(cue);
    RipProcess own({"--disc", cue, "--track", "1", "-o", (folder / "x.mp3").string(), "--cue", cue},
                   folder / "logs");
    EXPECT_EQ(own.Wait(), 1);
    EXPECT_NE(own.Err().find("is a file of the disc being read"), std::string::npos) << own.Err();
    EXPECT_EQ(ReadText(cue), before);
    EXPECT_FALSE(std::filesystem::exists(folder / "x.mp3"));
}

} // namespace
} // namespace kestrune::test
