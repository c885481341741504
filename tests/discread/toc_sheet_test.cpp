// cdrdao .toc sheets: offsets, byte order, gaps and START, and what is refused.

#include "tests/discread/image_fixture.h"

#include <filesystem>
#include <fstream>

namespace kestrune::test {
namespace {

class TocSheet : public ImageTest {
protected:
    static mkdisc::DiscSpec Rich() {
        auto disc =
            DiscImages::Spec({"audio:40f:noise=1,dcp,title=One,isrc=GBAYE0000001",
                              "audio:30f:sine=1000,pre,pregap=7f", "audio:20f:noise=3,gap=5f",
                              "audio:25f:noise=4,gap=2f,pregap=4f", "data:12f"});
        disc.Sheet = mkdisc::SheetKind::Toc;
        disc.Title = "Album";
        disc.Catalog = "1234567890123";
        return disc;
    }
    std::string Write(const std::string& Text, const std::string& Name = "sheet.toc") {
        const auto path = (images.Folder() / Name).string();
        std::ofstream(path, std::ios::binary) << Text;
        return path;
    }
    std::string Refusal(const std::string& Text) {
        const auto sheet = Write(Text);
        EXPECT_EQ(Load(sheet), DR_ERR_TOC);
        const std::string prefix = "Cannot open disc image \"" + sheet + "\": ";
        const std::string text = LastError();
        return text.starts_with(prefix) ? text.substr(prefix.size()) : "(wrong prefix) " + text;
    }
};

TEST_F(TocSheet, RawFilesWithAnOffsetBigEndianOrSwappedGiveTheExactBytes) {
    const struct {
        const char* name;
        std::int64_t offset;
        bool swap;
    } layouts[] = {{"plain", 0, false}, {"offset", 1000, false}, {"swapped", 4711, true}};
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        auto disc = Rich();
        disc.TocOffsetBytes = layout.offset;
        disc.TocSwap = layout.swap;
        const auto sheet = images.Make(layout.name, disc);
        // Names resolve from the sheet's folder, wherever the reader runs.
        const auto here = std::filesystem::current_path();
        std::filesystem::current_path("/");
        ASSERT_EQ(Load(sheet), DR_OK) << LastError();
        std::filesystem::current_path(here);
        ExpectDisc(disc);
        DR_DeInit();
    }
}

TEST_F(TocSheet, WaveFilesAreLittleEndianAndEachTrackReadsItsOwnFile) {
    auto disc =
        DiscImages::Spec({"audio:20f:noise=5", "audio:15f:noise=6,pre", "audio:10f:noise=7"});
    disc.FilePerTrack = true;
    disc.Type = mkdisc::FileType::Wave;
    images.Make("wave", disc);
    // SILENCE then START: a pregap no file holds, as a PREGAP line gives it.
    disc.Tracks[2].GapSectors = 6;
    const auto sheet = Write("CD_DA\nTRACK AUDIO\nFILE \"wave-01.wav\" 0\n"
                             "TRACK AUDIO\nPRE_EMPHASIS\nAUDIOFILE \"wave-02.wav\" 00:00:00\n"
                             "TRACK AUDIO // a comment\nSILENCE 00:00:06\nSTART\n"
                             "FILE \"wave-03.wav\" 0 5880\n");
    ASSERT_EQ(Load(sheet), DR_OK) << LastError();
    ExpectDisc(disc);
}

TEST_F(TocSheet, SheetsThatOverlapRunBackwardsOrCannotBeReadAreRefused) {
    auto disc = DiscImages::Spec({"audio:20f"});
    disc.Sheet = mkdisc::SheetKind::Toc;
    images.Make("data", disc);
    std::ofstream(images.Folder() / "empty.bin");
    const std::string track = "TRACK AUDIO\n";
    EXPECT_EQ(Refusal(""), "it lists no tracks");
    // What once ended the program with SIGFPE.
    EXPECT_EQ(Refusal("TRACK\nFILE \"x.bin\" 0\n"),
              "line 2 has the track mode \"FILE\", which is not known");
    EXPECT_EQ(Refusal(track + "FILE \"x.bin\" 0\n"), "the file \"x.bin\" it names does not exist");
    EXPECT_EQ(Refusal(track + "FILE \"empty.bin\" 0\n"), "line 1 track 1 holds no sectors");
    // Two tracks at the same sector: the first holds nothing.
    EXPECT_EQ(Refusal(track + "FILE \"data.raw\" 0 0\n" + track + "FILE \"data.raw\" 0 00:00:10\n"),
              "line 1 track 1 holds no sectors");
    EXPECT_EQ(Refusal(track + "FILE \"data.raw\" 0 00:00:10\nSTART 00:00:12\n"),
              "line 1 track 1 starts after its own end");
    EXPECT_EQ(Refusal(track + "FILE \"data.raw\" 00:00:30 00:00:10\n"),
              "line 2 starts reading \"data.raw\" past its end");
    EXPECT_EQ(Refusal(track + "FILE \"data.raw\" 100\n"),
              "line 2 gives 100 samples, which is not a whole number of sectors");
    EXPECT_EQ(Refusal(track + "FILE \"data.raw\" 00:61:00\n"),
              "line 2 has the time \"00:61:00\", which does not exist");
    EXPECT_EQ(Refusal(track + "SWAP\nFILE \"data.raw\" 0\n"),
              "line 2 has SWAP without an audio file before it");
    EXPECT_EQ(Refusal(track + "FILE \"data.raw\" 0 00:00:05\nPREGAP 00:00:02\n"),
              "line 3 has PREGAP after the track's first item");
    EXPECT_EQ(Refusal(track + "FIFO \"/tmp/fifo\" 00:00:10\n"),
              "line 2 reads from a FIFO, which is not a disc image");
    EXPECT_EQ(Refusal("TRACK AUDIO RW_RAW\nFILE \"data.raw\" 0\n"),
              "line 1 stores sub-channel data, which cannot be read");
    EXPECT_EQ(Refusal(track + "FILE \"data.raw\n"),
              "line 2 has a name whose closing quote is missing");
    EXPECT_EQ(Refusal("CD_TEXT { LANGUAGE 0 { TITLE \"x\" }\n" + track), "line 2 lacks \"{\"");
    EXPECT_EQ(Refusal("FILE \"data.raw\" 0\n"), "line 1 has \"FILE\" before the first TRACK");
    EXPECT_EQ(Refusal(track + "SILENCE 99:00:00\nSILENCE 00:00:01\n"),
              "line 3 makes the disc longer than the longest CD");
}

} // namespace
} // namespace kestrune::test
