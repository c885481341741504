// kestrune-rip's log of a run: where it goes, what it must never replace, and
// a damaged or failed track among tracks that were written.

#include "tests/support/disc_images.h"
#include "tests/tools/checksum_reference.h"
#include "tests/tools/rip_process.h"
#include "tools/kestrune-rip/sector_ranges.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace kestrune::test {
namespace {

std::string Text(const std::filesystem::path& File) {
    std::ifstream in(File, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::filesystem::path> LogsIn(const std::filesystem::path& Folder) {
    std::vector<std::filesystem::path> logs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Folder)) {
        if (entry.path().extension() == ".log") {
            logs.push_back(entry.path());
        }
    }
    return logs;
}

class RipLog : public ::testing::Test {
protected:
    RipLog() {
        ::setenv("XDG_CONFIG_HOME", (images.Folder() / "config").c_str(), 1);
        auto disc = DiscImages::Spec(
            {"audio:1:noise=1@-10", "audio:2:sine=440@-12", "audio:1:melody=3@-10"});
        // A slash in the album must not make a folder of the log's name.
        disc.Title = "Sea/Songs";
        Sheet = images.Make("disc", disc);
    }
    ~RipLog() override { ::unsetenv("DISCREAD_SIMULATE"); }

    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::filesystem::path Logs() const { return images.Folder() / "logs"; }

    RipProcess Rip(const std::vector<std::string>& Extra) {
        std::vector<std::string> words{"--disc", Sheet, "--quiet"};
        words.insert(words.end(), Extra.begin(), Extra.end());
        return RipProcess(words, Logs());
    }

    DiscImages images;
    std::string Sheet;
};

TEST_F(RipLog, TheLogGoesBesideTheFirstFileNamedAfterTheAlbumUnlessToldOtherwise) {
    RipProcess all = Rip({"--all", "-o", Path("out/%n.mp3")});
    ASSERT_EQ(all.Wait(), 0) << all.Err();
    EXPECT_EQ(LogsIn(images.Folder()),
              std::vector<std::filesystem::path>{images.Folder() / "out" / "Sea_Songs.log"});
    EXPECT_NE(Text(Path("out/Sea_Songs.log")).find("\nAlbum: Sea/Songs\n"), std::string::npos);

    // Told where, it goes there alone; told none, there is none.
    std::filesystem::remove_all(Path("out"));
    RipProcess named = Rip({"--track", "2", "-o", Path("out/two.mp3"), "--log", Path("run.log")});
    ASSERT_EQ(named.Wait(), 0) << named.Err();
    EXPECT_EQ(LogsIn(images.Folder()), std::vector<std::filesystem::path>{Path("run.log")});
    EXPECT_NE(Text(Path("run.log")).find("\nTrack 02 result: written\n"), std::string::npos);
    std::filesystem::remove(Path("run.log"));
    RipProcess none = Rip({"--track", "2", "-o", Path("out/two.mp3"), "--no-log"});
    ASSERT_EQ(none.Wait(), 0) << none.Err();
    // Standard output is beside no folder.
    RipProcess piped = Rip({"--track", "1", "-o", "-"});
    ASSERT_EQ(piped.Wait(), 0) << piped.Err();
    EXPECT_TRUE(LogsIn(images.Folder()).empty());
}

TEST_F(RipLog, ALogThatWouldReplaceTheImageOrATrackIsRefusedBeforeAnythingIsRipped) {
    const std::string image = Text(Path("disc.bin"));
    RipProcess onImage = Rip({"--all", "-o", Path("%n.mp3"), "--log", Path("disc.bin")});
    EXPECT_EQ(onImage.Wait(), 1);
    EXPECT_NE(onImage.Err().find("--log " + Path("disc.bin") + " is a file of the disc being read"),
              std::string::npos)
        << onImage.Err();
    EXPECT_EQ(Text(Path("disc.bin")), image);

    RipProcess onTrack = Rip({"--all", "-o", Path("%n.mp3"), "--log", Path("./02.mp3")});
    EXPECT_EQ(onTrack.Wait(), 1);
    EXPECT_NE(onTrack.Err().find("is the file of track 2"), std::string::npos) << onTrack.Err();
    EXPECT_FALSE(std::filesystem::exists(Path("01.mp3")));
}

TEST(SectorRanges, RunsAreJoinedAndAShortListSaysHowManySectorsItLeavesOut) {
    using rip::FormatSectorRanges;
    EXPECT_EQ(FormatSectorRanges({}), "");
    EXPECT_EQ(FormatSectorRanges({150}), "150");
    EXPECT_EQ(FormatSectorRanges({230, 231, 233, 240, 241, 242}), "230-231, 233, 240-242");
    // Two runs shown; the 3 + 1 sectors after them are counted, not runs.
    EXPECT_EQ(FormatSectorRanges({1, 3, 5, 6, 7, 9}, 2), "1, 3 and 4 more sectors");
    EXPECT_EQ(FormatSectorRanges({1, 3}, 2), "1, 3");
}

TEST_F(RipLog, ADamagedSectorIsSilenceInItsTrackWhichIsCalledDamagedAndTheRunGoesOn) {
    // A sector in the middle of track 2 that no reading gets, in one read of
    // the disc and in a rip of the track alone: the track is written with
    // silence there (its CRC32 is that of the image with the sector zeroed,
    // worked out apart), said and logged as damaged, and the status is 3.
    constexpr std::size_t SectorBytes = 2352;
    std::string audio = Text(Path("disc.bin"));
    audio.replace(150 * SectorBytes, SectorBytes, SectorBytes, '\0');
    std::ofstream(Path("damaged.bin"), std::ios::binary) << audio;
    const std::string crc = ComputedApart(Path("damaged.bin"), {{75, 150, "-"}}).at(0).substr(0, 8);
    ::setenv("DISCREAD_SIMULATE", "bad=150", 1);
    struct Case {
        std::vector<std::string> Words;
        const char* Summary;
    };
    for (const Case& run :
         {Case{{"--all", "-o", Path("%n.mp3"), "--log", Path("run.log")},
               "Summary: 3 of 3 tracks written; 0 accurately ripped, 0 not accurately ripped, 3 "
               "not verified; 1 damaged\n"},
          Case{{"--track", "2", "-o", Path("02.mp3"), "--log", Path("run.log")},
               "Summary: 1 of 1 tracks written; 0 accurately ripped, 0 not accurately ripped, 1 "
               "not verified; 1 damaged\n"}}) {
        SCOPED_TRACE(run.Words.front());
        RipProcess rip = Rip(run.Words);
        EXPECT_EQ(rip.Wait(), 3) << rip.Err();
        EXPECT_NE(rip.Err().find("kestrune-rip: track 02 is damaged: the drive could not read 1 "
                                 "sector (150), which is silence in " +
                                 Path("02.mp3") + "\n"),
                  std::string::npos)
            << rip.Err();
        const std::string log = Text(Path("run.log"));
        EXPECT_NE(log.find("\nTrack 02 CRC32 copy: " + crc + ", "), std::string::npos) << log;
        EXPECT_NE(log.find("\nTrack 02 damaged sectors: 150 (1 written as silence)\n"
                           "Track 02 result: written\n"),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find(run.Summary), std::string::npos) << log;
        if (run.Words.front() == "--all") {
            EXPECT_NE(log.find("\nTrack 01 damaged sectors: none\n"), std::string::npos) << log;
            EXPECT_NE(log.find("\nTrack 03 damaged sectors: none\n"), std::string::npos) << log;
        }
        std::filesystem::remove(Path("run.log"));
    }
}

TEST_F(RipLog, AReadOffsetMovesEveryTracksAudioAndTheLogSaysSo) {
    // Each track's CRC32 is that of the image moved by the offset (silence
    // coming in from outside the disc), worked out apart: in one read of the
    // disc, where the tracks' edges move too, and for a track alone.
    constexpr std::ptrdiff_t SampleBytes = 4;
    const std::string audio = Text(Path("disc.bin"));
    struct Case {
        std::int32_t Offset;
        std::vector<std::string> Words;
        std::vector<ChecksumRange> Tracks;
        std::vector<std::string> Names;
    };
    for (const Case& run :
         {Case{700,
               {"--all", "-o", Path("%n.mp3")},
               {{0, 75, "-"}, {75, 150, "-"}, {225, 75, "-"}},
               {"Track 01", "Track 02", "Track 03"}},
          Case{-1200, {"--track", "1", "-o", Path("01.mp3")}, {{0, 75, "-"}}, {"Track 01"}}}) {
        SCOPED_TRACE(run.Offset);
        const std::ptrdiff_t shift = run.Offset * SampleBytes;
        const std::string zeros(static_cast<std::size_t>(std::abs(shift)), '\0');
        std::ofstream(Path("moved.bin"), std::ios::binary)
            << (shift > 0 ? audio.substr(static_cast<std::size_t>(shift)) + zeros
                          : zeros + audio.substr(0, audio.size() - zeros.size()));
        const std::vector<std::string> reference = ComputedApart(Path("moved.bin"), run.Tracks);
        std::vector<std::string> words = run.Words;
        words.insert(words.end(),
                     {"--offset", (run.Offset > 0 ? "+" : "") + std::to_string(run.Offset), "--log",
                      Path("run.log")});
        RipProcess rip = Rip(words);
        EXPECT_EQ(rip.Wait(), 0) << rip.Err();
        const std::string log = Text(Path("run.log"));
        EXPECT_NE(log.find("\nRead offset: " + words[words.size() - 3] + " samples, corrected\n"),
                  std::string::npos)
            << log;
        for (std::size_t i = 0; i < run.Names.size(); ++i) {
            EXPECT_NE(log.find("\n" + run.Names[i] + " CRC32 copy: " + reference[i].substr(0, 8)),
                      std::string::npos)
                << run.Names[i] << "\n"
                << log;
        }
        std::filesystem::remove(Path("run.log"));
    }
    // More than a second is no drive's offset but a mistake.
    RipProcess far = Rip({"--track", "1", "--offset", "44101"});
    EXPECT_EQ(far.Wait(), 2);
    EXPECT_NE(far.Err().find("--offset takes -44100 to +44100 samples"), std::string::npos);
}

// Told to overread, what the offset moves in from outside the disc comes
// from the drive's lead-in and lead-out where it reads them (the simulated
// drive: five sectors either side, byte b of sector s being 31 s + b),
// worked out apart here, for the last track's end and the first's start.
TEST_F(RipLog, OverreadingTakesTheDrivesLeadInAndLeadOutInsteadOfSilence) {
    constexpr std::int64_t Sector = 2352;
    const std::string audio = Text(Path("disc.bin"));
    const auto lead = [](std::int64_t From, std::int64_t To) { // bytes, from the disc's start
        std::string bytes;
        for (std::int64_t at = From; at < To; ++at) {
            const std::int64_t sector = at >= 0 ? at / Sector : -((-at + Sector - 1) / Sector);
            bytes += static_cast<char>((31 * sector + at - sector * Sector) & 0xFF);
        }
        return bytes;
    };
    const auto size = static_cast<std::int64_t>(audio.size());
    ::setenv("DISCREAD_SIMULATE", "lead=5", 1);
    struct Case {
        std::string Offset;
        std::string Track;
        std::string Moved; // the disc as the corrected drive reads it
        ChecksumRange Range;
    };
    for (const Case& run :
         {Case{"+700", "3", audio.substr(2800) + lead(size, size + 2800), {225, 75, "-"}},
          Case{
              "-1200", "1", lead(-4800, 0) + audio.substr(0, audio.size() - 4800), {0, 75, "-"}}}) {
        SCOPED_TRACE(run.Offset);
        std::ofstream(Path("moved.bin"), std::ios::binary) << run.Moved;
        const std::string crc = ComputedApart(Path("moved.bin"), {run.Range}).at(0).substr(0, 8);
        RipProcess rip = Rip({"--track", run.Track, "-o", Path("t.mp3"), "--offset", run.Offset,
                              "--overread", "--log", Path("run.log")});
        EXPECT_EQ(rip.Wait(), 0) << rip.Err();
        const std::string log = Text(Path("run.log"));
        EXPECT_NE(log.find("\nRead offset: " + run.Offset +
                           " samples, corrected, lead-in and lead-out read\n"),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("\nTrack 0" + run.Track + " CRC32 copy: " + crc), std::string::npos)
            << log;
        std::filesystem::remove(Path("run.log"));
    }
}

// A drive's offset is given once: the next rip from a drive of that model
// reads with it, a drive of another model does not, and an offset given
// again replaces it. (The simulated drive names the model a real one does.)
TEST_F(RipLog, ADrivesReadOffsetIsRememberedForItsModel) {
    const auto crc = [&](const std::vector<std::string>& Extra) {
        std::vector<std::string> words{"--track",      "2",     "-o",
                                       Path("02.mp3"), "--log", Path("run.log")};
        words.insert(words.end(), Extra.begin(), Extra.end());
        RipProcess rip = Rip(words);
        EXPECT_EQ(rip.Wait(), 0) << rip.Err();
        const std::string log = Text(Path("run.log"));
        const std::size_t at = log.find("Track 02 CRC32 copy: ");
        std::filesystem::remove(Path("run.log"));
        return std::make_pair(at == std::string::npos ? std::string() : log.substr(at + 21, 8),
                              log);
    };
    const std::string plain = crc({}).first;
    ::setenv("DISCREAD_SIMULATE", "model=ACME CD-42 1.0", 1);
    const auto [given, givenLog] = crc({"--offset", "+700"});
    EXPECT_NE(given, plain) << "the offset moves the audio";
    EXPECT_NE(givenLog.find("\nRead from: disc image " + Sheet + "\n"), std::string::npos);
    EXPECT_NE(givenLog.find("\nRead offset: +700 samples, corrected\n"), std::string::npos)
        << givenLog;
    const std::string settings = Text(images.Folder() / "config" / "kestrune" / "kestrune-rip.ini");
    EXPECT_NE(settings.find("[Read offsets]"), std::string::npos) << settings;
    EXPECT_NE(settings.find("ACME CD-42 1.0=700"), std::string::npos) << settings;

    const auto [remembered, rememberedLog] = crc({});
    EXPECT_EQ(remembered, given);
    EXPECT_NE(rememberedLog.find(
                  "\nRead offset: +700 samples, corrected (remembered for ACME CD-42 1.0)\n"),
              std::string::npos)
        << rememberedLog;

    ::setenv("DISCREAD_SIMULATE", "model=Other Drive 2.0", 1);
    EXPECT_EQ(crc({}).first, plain);
    ::setenv("DISCREAD_SIMULATE", "model=ACME CD-42 1.0", 1);
    EXPECT_EQ(crc({"--offset", "0"}).first, plain);
    EXPECT_EQ(crc({}).first, plain) << "0 replaced 700";

    // A value no drive has is a warning; the rip reads with none.
    std::ofstream(images.Folder() / "config" / "kestrune" / "kestrune-rip.ini")
        << "[Read offsets]\nACME CD-42 1.0=far\n";
    RipProcess odd = Rip({"--track", "2", "-o", Path("02.mp3"), "--no-log"});
    EXPECT_EQ(odd.Wait(), 0) << odd.Err();
    EXPECT_NE(odd.Err().find("gives ACME CD-42 1.0 no read offset"), std::string::npos)
        << odd.Err();
}

TEST_F(RipLog, TestAndCopyReadsATrackAgainAndSaysWhenNoReadMatchesTheCopy) {
    // The test read agrees with the copy: status 0, and the log says so.
    constexpr std::size_t SectorBytes = 2352;
    const std::string crc = ComputedApart(Path("disc.bin"), {{0, 75, "-"}}).at(0).substr(0, 8);
    RipProcess same =
        Rip({"--track", "1", "-o", Path("same.mp3"), "--test-and-copy", "--log", Path("same.log")});
    EXPECT_EQ(same.Wait(), 0) << same.Err();
    EXPECT_NE(Text(Path("same.log")).find("\nTrack 01 CRC32 test: " + crc + ", matches the copy\n"),
              std::string::npos)
        << Text(Path("same.log"));

    // A disc that reads otherwise after the copy: the image changes while the
    // test reads wait at the gate, so all three differ from the copy.
    std::string audio = Text(Path("disc.bin"));
    for (std::size_t at = 0; at < SectorBytes; ++at) {
        audio[at] = static_cast<char>(audio[at] ^ 0x5A);
    }
    std::ofstream(Path("changed.bin"), std::ios::binary) << audio;
    const std::string changed =
        ComputedApart(Path("changed.bin"), {{0, 75, "-"}}).at(0).substr(0, 8);
    const ReadGate gate(images.Folder() / "gate");
    RipProcess rip =
        Rip({"--track", "1", "-o", Path("01.mp3"), "--test-and-copy", "--log", Path("run.log")});
    gate.Grant(1);
    for (int wait = 0; wait < 6000 && !std::filesystem::exists(Path("01.mp3")); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(std::filesystem::exists(Path("01.mp3"))) << "the copy never ended";
    std::fstream(Path("disc.bin"), std::ios::binary | std::ios::in | std::ios::out)
        .write(audio.data(), static_cast<std::streamsize>(SectorBytes));
    gate.Grant(3);
    EXPECT_EQ(rip.Wait(), 3) << rip.Err();
    const std::string said =
        changed + ", " + changed + ", " + changed + ": none matches the copy's CRC32 " + crc;
    EXPECT_NE(rip.Err().find("kestrune-rip: track 01 may not be exact: test CRC32 " + said + "\n"),
              std::string::npos)
        << rip.Err();
    EXPECT_NE(Text(Path("run.log")).find("\nTrack 01 CRC32 test: " + said + "\n"),
              std::string::npos)
        << Text(Path("run.log"));
}

TEST_F(RipLog, StoppingOnErrorsATrackFailsAtItsDamageAndIsLoggedWithItsReason) {
    // As without verification: the track fails alone, the others are written.
    ::setenv("DISCREAD_SIMULATE", "bad=150", 1);
    RipProcess all = Rip({"--all", "-o", Path("%n.mp3"), "--stop-on-error"});
    EXPECT_EQ(all.Wait(), 1) << all.Err();
    const std::string log = Text(Path("Sea_Songs.log"));
    EXPECT_NE(log.find("\nTrack 01 result: written\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\nTrack 02 result: failed: The disc could not be read at sector "),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("\nTrack 02 CRC32"), std::string::npos) << "no figures of a failed track";
    EXPECT_NE(log.find("\nTrack 03 CRC32 copy: "), std::string::npos) << log;
    EXPECT_NE(log.find("\nSummary: 2 of 3 tracks written; "), std::string::npos) << log;
}

} // namespace
} // namespace kestrune::test
