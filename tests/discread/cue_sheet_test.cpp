// Cue sheets in the layouts other tools write, read back to the byte.

#include "tests/discread/image_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <thread>

namespace kestrune::test {
namespace {

using mkdisc::FileType;

class CueSheet : public ImageTest {
protected:
    // Tracks with every feature a layout has to carry: flags, a stored pregap,
    // a gap no file holds, a data track, CD-Text and an ISRC.
    static mkdisc::DiscSpec Rich() {
        auto disc = DiscImages::Spec({"audio:40f:noise=1,dcp,title=One,isrc=GBAYE0000001",
                                      "audio:30f:sine=1000,pre,pregap=7f",
                                      "audio:20f:noise=3,gap=5f,pregap=3f", "data:12f",
                                      "audio:9f:noise=4,dcp,pre"});
        disc.Title = "The Album";
        disc.Performer = "Somebody";
        disc.Catalog = "1234567890123";
        return disc;
    }
    std::string Write(const std::string& Text, const std::string& Name = "sheet.cue") {
        const auto path = (images.Folder() / Name).string();
        std::ofstream(path, std::ios::binary) << Text;
        return path;
    }
    std::string Expect(std::int32_t Code, const std::string& Sheet) {
        EXPECT_EQ(Load(Sheet), Code);
        return LastError();
    }
};

TEST_F(CueSheet, EveryLayoutGivesTheTableAndTheExactBytesOfEveryTrack) {
    const struct {
        const char* name;
        bool perTrack;
        FileType type;
        int first;
    } layouts[] = {
        {"single-binary", false, FileType::Binary, 1},
        {"single-motorola", false, FileType::Motorola, 1},
        {"single-wave", false, FileType::Wave, 3},
        {"per-track-binary", true, FileType::Binary, 4},
        {"per-track-motorola", true, FileType::Motorola, 1},
        {"per-track-wave", true, FileType::Wave, 9},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        auto disc = Rich();
        disc.FilePerTrack = layout.perTrack;
        disc.Type = layout.type;
        disc.FirstTrack = layout.first;
        ASSERT_EQ(Load(images.Make(layout.name, disc)), DR_OK) << LastError();
        ExpectDisc(disc);
        DR_DeInit();
    }
}

TEST_F(CueSheet, CdTextIsrcAndCatalogueAreKeptBesideTheTable) {
    for (const auto sheet : {mkdisc::SheetKind::Cue, mkdisc::SheetKind::Toc}) {
        auto disc = Rich();
        disc.Sheet = sheet;
        ASSERT_EQ(Load(images.Make(sheet == mkdisc::SheetKind::Cue ? "texts" : "toc", disc)), DR_OK)
            << LastError();
        const auto text = [](std::int32_t Index, std::int32_t Field) {
            char buffer[64] = "unchanged";
            const std::int32_t length = DR_GetTrackText(Index, Field, buffer, sizeof buffer);
            return length < 0 ? std::string("(refused)") : std::string(buffer);
        };
        EXPECT_EQ(text(-1, DR_TEXT_ISRC), "1234567890123");
        EXPECT_EQ(text(-1, DR_TEXT_TITLE), "The Album");
        EXPECT_EQ(text(-1, DR_TEXT_PERFORMER), "Somebody");
        EXPECT_EQ(text(0, DR_TEXT_TITLE), "One");
        EXPECT_EQ(text(0, DR_TEXT_ISRC), "GBAYE0000001");
        EXPECT_EQ(text(1, DR_TEXT_TITLE), "");
        EXPECT_EQ(text(5, DR_TEXT_TITLE), "(refused)") << "five tracks: index 5 is the lead-out";
        EXPECT_EQ(text(0, 4), "(refused)");
        DR_DeInit();
    }
}

TEST_F(CueSheet, FilesAreFoundFromTheSheetsFolderIgnoringCaseAndTheLoneFileFallsBack) {
    auto disc = DiscImages::Spec({"audio:10f:noise=5", "audio:10f:noise=6"});
    disc.FilePerTrack = true;
    const auto sheet = images.Make("Case", disc);
    // Written on Windows: the files on disk differ in case from the sheet.
    std::filesystem::rename(images.Folder() / "Case-01.bin", images.Folder() / "CASE-01.BIN");
    // Read from another folder: names resolve from the sheet's, not the current one.
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path("/");
    EXPECT_EQ(Load(sheet), DR_OK) << LastError();
    ExpectDisc(disc);
    std::filesystem::current_path(here);
    DR_DeInit();

    // One FILE line naming a file that is not there: NAME.bin beside NAME.cue.
    auto lone = DiscImages::Spec({"audio:10f:noise=7"});
    const auto twin = images.Make("twin", lone);
    Write("FILE \"renamed long ago.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
          "twin.cue");
    EXPECT_EQ(Load(twin), DR_OK) << LastError();
    ExpectDisc(lone);
}

TEST_F(CueSheet, APregapAtTheEndOfTheTrackInFrontsFileBelongsToThatTracksRange) {
    // As rippers write "non-compliant" sheets: track 2's INDEX 00 lies in
    // track 1's file, its INDEX 01 at the start of its own.
    auto disc = DiscImages::Spec(
        {"audio:30f:noise=1", "audio:20f:noise=2,pregap=8f", "audio:10f:noise=3,pregap=4f,dcp"});
    disc.FilePerTrack = true;
    images.Make("eac", disc);
    const auto bytes = [&](const std::string& Name) {
        std::ifstream in(images.Folder() / Name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string one = bytes("eac-01.bin");
    const std::string two = bytes("eac-02.bin");
    const std::string three = bytes("eac-03.bin");
    std::ofstream(images.Folder() / "a.bin", std::ios::binary) << one << two.substr(0, 8 * 2352);
    std::ofstream(images.Folder() / "b.bin", std::ios::binary)
        << two.substr(8 * 2352) << three.substr(0, 4 * 2352);
    std::ofstream(images.Folder() / "c.bin", std::ios::binary) << three.substr(4 * 2352);
    const auto sheet =
        Write("FILE \"a.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
              "  TRACK 02 AUDIO\n    INDEX 00 00:00:30\nFILE \"b.bin\" BINARY\n"
              "    INDEX 01 00:00:00\n  TRACK 03 AUDIO\n    FLAGS DCP\n"
              "    INDEX 00 00:00:20\nFILE \"c.bin\" BINARY\n    INDEX 01 00:00:00\n");
    ASSERT_EQ(Load(sheet), DR_OK) << LastError();
    ExpectDisc(disc);
}

TEST_F(CueSheet, DataTracksOfCookedSectorsKeepTheAudioAfterThemInPlace) {
    // A 2048-byte-sector data track (an .iso) in front of the audio, as
    // enhanced CDs are often kept.
    std::ofstream(images.Folder() / "data.iso", std::ios::binary) << std::string(12 * 2048, 'd');
    auto audio = DiscImages::Spec({"audio:25f:noise=5"});
    images.Make("music", audio);
    const auto sheet = Write("FILE \"data.iso\" BINARY\n  TRACK 01 MODE1/2048\n"
                             "    INDEX 01 00:00:00\nFILE \"music.bin\" BINARY\n"
                             "  TRACK 02 AUDIO\n    FLAGS 4CH\n    INDEX 01 00:00:00\n");
    ASSERT_EQ(Load(sheet), DR_OK) << LastError();
    ASSERT_EQ(DR_GetNumTocEntries(), 2);
    EXPECT_EQ(DR_GetTocEntry(0).Flag, 0x14);
    EXPECT_EQ(DR_GetTocEntry(1).StartSector, 12);
    EXPECT_EQ(DR_GetTocEntry(1).Flag, 0x18) << "four channels";
    EXPECT_EQ(DR_GetTocEntry(2).StartSector, 37);
    std::int32_t error = -1;
    EXPECT_TRUE(Rip(12, 37, error) == mkdisc::TrackBytes(audio, 0));
    EXPECT_EQ(error, DR_OK);
    std::string why;
    EXPECT_TRUE(Rip(0, 12, error, &why).empty());
    EXPECT_EQ(why, "sector 0 belongs to a data track stored without its raw sector frames");
}

TEST_F(CueSheet, SheetsWithByteOrderMarkCrLfLowerCaseAndBlanksInNamesAreRead) {
    auto disc = DiscImages::Spec({"audio:10f:noise=8", "audio:12f:noise=9,dcp"});
    images.Make("with blanks", disc);
    const auto sheet =
        Write("\xEF\xBB\xBFREM written on Windows\r\nfile \"with blanks.bin\" binary\r\n"
              "  track 01 audio\r\n    index 01 00:00:00\r\n  track 02 audio\r\n"
              "    flags dcp\r\n    index 01 00:00:10\r\n");
    ASSERT_EQ(Load(sheet), DR_OK) << LastError();
    ExpectDisc(disc);
}

TEST_F(CueSheet, RefusedSheetsSayWhy) {
    images.Make("data", DiscImages::Spec({"audio:20f"}));
    const std::string file = "FILE \"data.bin\" BINARY\n";
    const struct {
        std::string text, reason;
    } cases[] = {
        {"this is not a cue sheet\n", "line 1 has the unknown keyword \"this\""},
        {file, "it lists no tracks"},
        {file + "  TRACK 01 AUDIO\n", "track 1 has no INDEX 01"},
        {file + "  TRACK 01 AUDIO\n    INDEX 01 00:00:10\n  TRACK 02 AUDIO\n"
                "    INDEX 01 00:00:05\n",
         "track 2 starts before the track in front of it ends"},
        {file + "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 03 AUDIO\n"
                "    INDEX 01 00:00:05\n",
         "track 3 follows track 1"},
        {file + "  TRACK 01 AUDIO\n    INDEX 01 00:61:00\n",
         "line 3 has the time \"00:61:00\", which does not exist"},
        {file + "  TRACK 01 CDG\n    INDEX 01 00:00:00\n",
         "track 1 has the mode CDG, which cannot be read"},
        {"FILE \"data.bin\" MP3\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n",
         "the file \"data.bin\" is of type MP3; only BINARY, MOTOROLA and WAVE files can be read"},
        {"FILE \"data.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
         "FILE \"a-track02.bin\" BINARY\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n",
         "the file \"a-track02.bin\" it names does not exist"},
    };
    for (const auto& c : cases) {
        const auto sheet = Write(c.text);
        EXPECT_EQ(Expect(DR_ERR_TOC, sheet),
                  "Cannot open disc image \"" + sheet + "\": " + c.reason);
        EXPECT_EQ(DR_GetNumTocEntries(), 0);
    }
}

TEST_F(CueSheet, WaveFilesOtherThanCdAudioAreRefusedNamingTheirFormat) {
    auto disc = DiscImages::Spec({"audio:10f"});
    disc.Type = FileType::Wave;
    const auto sheet = images.Make("wave", disc);
    const auto wave = (images.Folder() / "wave.wav").string();
    std::fstream patch(wave, std::ios::in | std::ios::out | std::ios::binary);
    patch.seekp(22); // channels, then the rate, then (at 34) the bits per sample
    const char mono48k[] = {1, 0, static_cast<char>(0x80), static_cast<char>(0xBB), 0, 0};
    patch.write(mono48k, sizeof mono48k);
    patch.seekp(34);
    patch.write("\x18\x00", 2);
    patch.close();
    EXPECT_EQ(Expect(DR_ERR_TOC, sheet),
              "Cannot open disc image \"" + sheet + "\": the file \"" + wave +
                  "\" holds 24-bit audio in 1 channels at 48000 Hz; a CD holds 16-bit stereo PCM "
                  "at 44100 Hz");
    std::ofstream(wave, std::ios::binary) << "RIFX";
    EXPECT_EQ(Expect(DR_ERR_TOC, sheet), "Cannot open disc image \"" + sheet + "\": the file \"" +
                                             wave + "\" is not a WAVE file");
}

TEST_F(CueSheet, OnlyRegularFilesAreReadSoPipesAndDevicesCannotHangOrFloodIt) {
    const auto fifo = (images.Folder() / "pipe.cue").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(Expect(DR_ERR_TOC, fifo),
              "Cannot open disc image \"" + fifo + "\": it is a pipe, not a file");

    const auto zero = (images.Folder() / "zero.cue").string();
    std::filesystem::create_symlink("/dev/zero", zero);
    EXPECT_EQ(Expect(DR_ERR_TOC, zero),
              "Cannot open disc image \"" + zero + "\": it is a device, not a file");

    std::filesystem::create_symlink("/dev/zero", images.Folder() / "endless.bin");
    const auto sheet =
        Write("FILE \"endless.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    EXPECT_EQ(Expect(DR_ERR_TOC, sheet), "Cannot open disc image \"" + sheet + "\": the file \"" +
                                             (images.Folder() / "endless.bin").string() +
                                             "\" is a device, not a file");

    std::filesystem::create_directory(images.Folder() / "folder.bin");
    const auto folder =
        Write("FILE \"folder.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    EXPECT_EQ(Expect(DR_ERR_TOC, folder), "Cannot open disc image \"" + folder + "\": the file \"" +
                                              (images.Folder() / "folder.bin").string() +
                                              "\" is a folder");
}

TEST_F(CueSheet, AnImageLongerThanTheLongestCdIsRefused) {
    const auto sheet = images.Make("long", DiscImages::Spec({"audio:10f"}));
    // 445 501 sectors: one more than 99 minutes (a sparse file).
    std::filesystem::resize_file(images.Folder() / "long.bin", 445501ull * 2352);
    EXPECT_EQ(Expect(DR_ERR_TOC, sheet), "Cannot open disc image \"" + sheet + "\": the file \"" +
                                             (images.Folder() / "long.bin").string() +
                                             "\" is larger than the longest CD");
    std::filesystem::resize_file(images.Folder() / "long.bin", 445500ull * 2352);
    EXPECT_EQ(Load(sheet), DR_OK) << LastError();
    EXPECT_EQ(DR_GetTocEntry(1).StartSector, 445500);
}

TEST_F(CueSheet, TheErrorTextBelongsToTheCallingThreadAndItsLastCall) {
    const auto sheet = Write("nonsense\n");
    EXPECT_EQ(Load(sheet), DR_ERR_TOC);
    const std::string text = LastError();
    EXPECT_FALSE(text.empty());
    // Cut to the buffer and always terminated.
    char small[8];
    EXPECT_EQ(DR_GetLastErrorText(small, sizeof small), static_cast<std::int32_t>(text.size()));
    EXPECT_EQ(std::string(small), text.substr(0, 7));

    std::string other = "unset";
    std::thread([&] { other = LastError(); }).join();
    EXPECT_EQ(other, "");
    EXPECT_EQ(LastError(), text);

    std::int32_t status = -1;
    EXPECT_EQ(DR_IsMediaLoaded(&status), DR_OK);
    EXPECT_EQ(LastError(), "") << "a call that succeeds leaves no text";
    std::int32_t chunk = 100;
    EXPECT_EQ(DR_OpenRipper(&chunk, 0, 1), DR_ERR_ARGUMENT);
    EXPECT_EQ(LastError(), "an argument is out of range");
}

} // namespace
} // namespace kestrune::test
