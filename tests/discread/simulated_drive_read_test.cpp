// Disc images read as a simulated drive (DISCREAD_SIMULATE) through the entry
// points, as the programs read them: sectors the drive cannot read fail the
// reading where a real drive's would, and a sector that fails once is read
// again by the verified reading, to the image's exact audio.

#include "tests/discread/image_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace kestrune::test {
namespace {

constexpr std::int32_t ChunkSectors = 75;
constexpr std::int32_t TrackSectors = 400;
constexpr std::size_t SectorBytes = 2352;
const std::vector<std::string> Track = {"audio:400f:noise=7"};
// A pure tone repeats exactly every 3.75 sectors: paranoia's matching fits a
// read anywhere in it.
const std::vector<std::string> Tone = {"audio:400f:sine=440@-6"};

// What one DR_RipChunk call gave.
struct Chunk {
    std::int32_t Code = DR_OK;
    std::vector<std::uint8_t> Bytes;
    std::string Why;
};

class SimulatedDriveRead : public ImageTest {
protected:
    void TearDown() override {
        ::unsetenv("DISCREAD_SIMULATE");
        DR_SetSkipUnreadable(0);
        DR_SetReadOffset(0);
        DR_SetOverread(0);
        ImageTest::TearDown();
    }

    // Makes the noise track's image the drive, as a drive that behaves as
    // Simulation says, read in paranoia mode Mode (0 plain, 1 overlap, 2 full)
    // and never told to read images through paranoia: the simulation is.
    void Load(const char* Simulation, int Mode, const std::vector<std::string>& Audio = Track) {
        const auto sheet = images.Make("disc", Audio);
        const auto settings = (images.Folder() / "discread.ini").string();
        std::ofstream(settings) << "[CD-ROM]\nnParanoiaMode=" << Mode << "\n";
        ::setenv("DISCREAD_SIMULATE", Simulation, 1);
        UseDrives({sheet});
        ASSERT_EQ(DR_Init(settings.c_str()), DR_OK);
        ASSERT_EQ(DR_ReadToc(), DR_OK) << LastError();
    }

    // Opens [First, End) of the track in chunks of a second.
    static std::int32_t OpenTrack(std::int32_t First = 0, std::int32_t End = TrackSectors) {
        std::int32_t chunk = ChunkSectors * static_cast<std::int32_t>(SectorBytes);
        return DR_OpenRipper(&chunk, First, End);
    }

    // The next chunk fails for Why, and asked again fails again: a bad sector
    // stays bad, and the reading stays there.
    static void ExpectFailsAskedTwice(const std::string& Why) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Chunk failed = Next();
            EXPECT_EQ(failed.Code, DR_ERR_READ);
            EXPECT_TRUE(failed.Bytes.empty());
            EXPECT_EQ(failed.Why, Why);
        }
    }

    static Chunk Next() {
        Chunk chunk;
        chunk.Bytes.resize(ChunkSectors * SectorBytes);
        std::int32_t bytes = -1;
        std::int32_t abort = 0;
        chunk.Code = DR_RipChunk(chunk.Bytes.data(), &bytes, &abort);
        chunk.Bytes.resize(static_cast<std::size_t>(std::max(bytes, 0)));
        chunk.Why = LastError();
        return chunk;
    }

    // The image's own audio of sectors [First, End).
    static std::vector<std::uint8_t> Audio(std::int32_t First, std::int32_t End,
                                           const std::vector<std::string>& Of = Track) {
        const auto track = mkdisc::TrackBytes(DiscImages::Spec(Of), 0);
        return {track.begin() + First * static_cast<std::ptrdiff_t>(SectorBytes),
                track.begin() + End * static_cast<std::ptrdiff_t>(SectorBytes)};
    }
};

TEST_F(SimulatedDriveRead, ABadSectorFailsItsChunkAfterTheGoodOnesNamingItEveryTime) {
    // In every mode the chunks before the bad sector's come whole and exact, the
    // failure comes at the bad sector's chunk and names the sector, and asking
    // again fails again: a bad sector stays bad, and the reading stays there.
    // (Verified reading gives up some sectors before the bad one: the bad
    // sectors lie well inside their chunks.)
    struct Case {
        const char* Simulation;
        int GoodChunks;
        const char* Why;
    };
    for (const Case& bad : {Case{"bad=140", 1, "sector 140 cannot be read"},
                            Case{"bad=190-195;330", 2, "sector 190 cannot be read"},
                            Case{"bad=330-399,190", 2, "sector 190 cannot be read"}}) {
        for (const int mode : {0, 1, 2}) {
            SCOPED_TRACE(std::string(bad.Simulation) + ", paranoia mode " + std::to_string(mode));
            Load(bad.Simulation, mode);
            ASSERT_EQ(OpenTrack(), DR_OK) << LastError();
            for (std::int32_t i = 0; i < bad.GoodChunks; ++i) {
                const Chunk good = Next();
                ASSERT_EQ(good.Code, DR_OK) << good.Why;
                EXPECT_TRUE(good.Bytes == Audio(i * ChunkSectors, (i + 1) * ChunkSectors)) << i;
            }
            ExpectFailsAskedTwice(bad.Why);
            DR_CloseRipper();
            DR_DeInit();
        }
    }
}

TEST_F(SimulatedDriveRead, BadSectorsRightAfterWhereTheReadingStartsFailTheirChunk) {
    // Where the reading starts (a track's start), nothing before it is read:
    // when its very first sectors cannot be read, paranoia has nothing to build
    // on, and allowed to skip it would start again from the disc's start, for
    // ever at the disc's scale. Bad sectors there, one or two close together,
    // and one well into the chunk after good ones were read fail their chunk
    // as any bad sector does, asked twice.
    struct Case {
        const char* Simulation;
        const char* Why;
    };
    for (const Case& bad : {Case{"bad=100", "sector 100 cannot be read"},
                            Case{"bad=105", "sector 105 cannot be read"},
                            Case{"bad=105,107", "sector 105 cannot be read"},
                            Case{"bad=105-106,108", "sector 105 cannot be read"},
                            Case{"bad=115,125", "sector 115 cannot be read"}}) {
        for (const int mode : {1, 2}) {
            SCOPED_TRACE(std::string(bad.Simulation) + ", paranoia mode " + std::to_string(mode));
            Load(bad.Simulation, mode);
            ASSERT_EQ(OpenTrack(100), DR_OK) << LastError();
            ExpectFailsAskedTwice(bad.Why);
            DR_CloseRipper();
            DR_DeInit();
        }
    }
}

TEST_F(SimulatedDriveRead, ToldToSkipThemTheReadingGivesBadSectorsAsSilenceNotedAndGoesOn) {
    // Every mode: the bad sectors come as silence and are listed once their
    // chunk is handed out, never before; every other sector (those paranoia
    // gave up with the bad ones, a flaky one) is the image's own. Bad sectors
    // right where the reading starts, two close together, and two chunks
    // apart; the reading starts at a track's start of 100.
    struct Case {
        const char* Simulation;
        std::vector<std::int32_t> Bad;
    };
    for (const Case& bad : {Case{"bad=100", {100}}, Case{"bad=105,107,flaky=110", {105, 107}},
                            Case{"bad=190-191;330", {190, 191, 330}}}) {
        for (const int mode : {0, 1, 2}) {
            SCOPED_TRACE(std::string(bad.Simulation) + ", paranoia mode " + std::to_string(mode));
            Load(bad.Simulation, mode);
            ASSERT_EQ(DR_SetSkipUnreadable(1), DR_OK);
            ASSERT_EQ(OpenTrack(100), DR_OK) << LastError();
            std::vector<std::uint8_t> all;
            for (Chunk chunk = Next(); !chunk.Bytes.empty() || chunk.Code != DR_OK;
                 chunk = Next()) {
                ASSERT_EQ(chunk.Code, DR_OK) << chunk.Why;
                all.insert(all.end(), chunk.Bytes.begin(), chunk.Bytes.end());
                const auto end = static_cast<std::int32_t>(100 + all.size() / SectorBytes);
                std::vector<std::int32_t> handed;
                std::copy_if(bad.Bad.begin(), bad.Bad.end(), std::back_inserter(handed),
                             [&](std::int32_t Sector) { return Sector < end; });
                std::vector<std::int32_t> listed(8, -1);
                listed.resize(static_cast<std::size_t>(
                    DR_GetUnreadable(listed.data(), static_cast<std::int32_t>(listed.size()))));
                EXPECT_EQ(listed, handed) << "after the chunk that ends at " << end;
            }
            auto expected = Audio(100, TrackSectors);
            for (const std::int32_t sector : bad.Bad) {
                std::fill_n(expected.begin() +
                                (sector - 100) * static_cast<std::ptrdiff_t>(SectorBytes),
                            SectorBytes, 0);
            }
            EXPECT_TRUE(all == expected);
            DR_CloseRipper();
            EXPECT_EQ(DR_GetUnreadable(nullptr, 0), 0);
            DR_DeInit();
        }
    }
}

TEST_F(SimulatedDriveRead, AReadOffsetShiftsTheAudioBySamplesWithSilenceOutsideTheDisc) {
    // Output sample k is the drive's sample k + offset, across every chunk's
    // edge, read plainly and through paranoia; a range at the disc's start
    // takes silence from before it (a negative offset) and one at its end from
    // past it. The expected bytes are the image's own, moved. Told to overread,
    // the drive's lead-in and lead-out come in instead, as far as it reads
    // them (one sector either side here; byte b of sector s is 31 s + b).
    constexpr std::int64_t SampleBytes = 4;
    constexpr std::int64_t Sector = SectorBytes;
    const auto image = Audio(0, TrackSectors);
    const auto moved = [&](std::int32_t First, std::int32_t End, std::int64_t Offset,
                           bool Overread) {
        const auto size = static_cast<std::int64_t>(image.size());
        std::vector<std::uint8_t> bytes;
        for (std::int64_t at = First * Sector + Offset * SampleBytes;
             at < End * Sector + Offset * SampleBytes; ++at) {
            const std::int64_t sector = at >= 0 ? at / Sector : -((-at + Sector - 1) / Sector);
            const bool lead = Overread && at >= -Sector && at < size + Sector;
            bytes.push_back(
                at >= 0 && at < size ? image[static_cast<std::size_t>(at)]
                : lead ? static_cast<std::uint8_t>((31 * sector + at - sector * Sector) & 0xFF)
                       : 0);
        }
        return bytes;
    };
    for (const std::int32_t offset : {6, -1200, 700}) {
        for (const auto& [mode, overread] :
             {std::pair{0, false}, std::pair{2, false}, std::pair{0, true}, std::pair{2, true}}) {
            Load("speed=1000,lead=1", mode);
            ASSERT_EQ(DR_SetReadOffset(offset), DR_OK);
            ASSERT_EQ(DR_SetOverread(overread ? 1 : 0), DR_OK);
            for (const auto& [first, end] : {std::pair{0, TrackSectors}, std::pair{100, 300}}) {
                SCOPED_TRACE("offset " + std::to_string(offset) + ", paranoia mode " +
                             std::to_string(mode) + ", overread " + std::to_string(overread) +
                             ", from " + std::to_string(first));
                ASSERT_EQ(OpenTrack(first, end), DR_OK) << LastError();
                std::vector<std::uint8_t> all;
                for (Chunk chunk = Next(); !chunk.Bytes.empty() || chunk.Code != DR_OK;
                     chunk = Next()) {
                    ASSERT_EQ(chunk.Code, DR_OK) << chunk.Why;
                    all.insert(all.end(), chunk.Bytes.begin(), chunk.Bytes.end());
                }
                EXPECT_TRUE(all == moved(first, end, offset, overread));
                DR_CloseRipper();
            }
            DR_DeInit();
        }
    }
    EXPECT_EQ(DR_SetReadOffset(44101), DR_ERR_ARGUMENT);
    EXPECT_EQ(LastError(), "a read offset of 44101 samples is more than a second");
    EXPECT_EQ(DR_SetReadOffset(-44100), DR_OK);
}

TEST_F(SimulatedDriveRead, AGarbledSectorIsWrongTheFirstTimeOnlyAndVerificationCatchesIt) {
    // A drive that misreads without an error: read plainly, the garbled
    // sector comes out wrong and every other one right; full verification
    // reads it again, finds the reads disagree and hands out the image's own
    // bytes. (The drive misreads once per reading: each reading opens it anew.)
    const auto read = [&] {
        EXPECT_EQ(OpenTrack(), DR_OK) << LastError();
        std::vector<std::uint8_t> all;
        for (Chunk chunk = Next(); !chunk.Bytes.empty() || chunk.Code != DR_OK; chunk = Next()) {
            EXPECT_EQ(chunk.Code, DR_OK) << chunk.Why;
            if (chunk.Code != DR_OK) {
                break;
            }
            all.insert(all.end(), chunk.Bytes.begin(), chunk.Bytes.end());
        }
        DR_CloseRipper();
        return all;
    };
    Load("garble=140", 0);
    auto garbled = Audio(0, TrackSectors);
    for (std::size_t at = 140 * SectorBytes; at < 141 * SectorBytes; ++at) {
        garbled[at] ^= 0x5A;
    }
    EXPECT_TRUE(read() == garbled);
    DR_DeInit();
    Load("garble=140", 2);
    EXPECT_TRUE(read() == Audio(0, TrackSectors));
}

TEST_F(SimulatedDriveRead, AFlakySectorIsReadAgainToTheImagesExactAudio) {
    // Verified reading, in either mode, reads each flaky sector again and hands
    // out the image's own bytes with no error, the very first sectors too;
    // this also shows that the simulation alone takes the image through
    // paranoia, as direct reads would have failed.
    for (const int mode : {1, 2}) {
        SCOPED_TRACE("paranoia mode " + std::to_string(mode));
        Load("flaky=0-1,140,200-260;399", mode);
        ASSERT_EQ(OpenTrack(), DR_OK) << LastError();
        std::vector<std::uint8_t> all;
        for (Chunk chunk = Next(); !chunk.Bytes.empty() || chunk.Code != DR_OK; chunk = Next()) {
            ASSERT_EQ(chunk.Code, DR_OK) << chunk.Why;
            all.insert(all.end(), chunk.Bytes.begin(), chunk.Bytes.end());
        }
        EXPECT_TRUE(all == Audio(0, TrackSectors));
        DR_CloseRipper();
        DR_DeInit();
    }
}

TEST_F(SimulatedDriveRead, InAPureToneABadSectorStillFailsAndAFlakyOneComesBackExact) {
    // Paranoia's matching can fill what no read gave from the tone around it,
    // and slide what follows by whole periods, with silence at the end: no
    // sector is handed out that no read gave, and a chunk a failed read
    // reached is read once more from a fresh start. (Overlap checking alone
    // does not verify, so only full verification is held to the exact tone.)
    for (const int mode : {1, 2}) {
        SCOPED_TRACE("paranoia mode " + std::to_string(mode));
        Load("bad=200", mode, Tone);
        ASSERT_EQ(OpenTrack(), DR_OK) << LastError();
        for (std::int32_t i = 0; i < 2; ++i) {
            const Chunk good = Next();
            ASSERT_EQ(good.Code, DR_OK) << good.Why;
            EXPECT_TRUE(good.Bytes == Audio(i * ChunkSectors, (i + 1) * ChunkSectors, Tone)) << i;
        }
        const Chunk failed = Next();
        EXPECT_EQ(failed.Code, DR_ERR_READ);
        EXPECT_EQ(failed.Why, "sector 200 cannot be read");
        DR_CloseRipper();
        DR_DeInit();
    }
    Load("flaky=200", 2, Tone);
    ASSERT_EQ(OpenTrack(), DR_OK) << LastError();
    std::vector<std::uint8_t> all;
    for (Chunk chunk = Next(); !chunk.Bytes.empty() || chunk.Code != DR_OK; chunk = Next()) {
        ASSERT_EQ(chunk.Code, DR_OK) << chunk.Why;
        all.insert(all.end(), chunk.Bytes.begin(), chunk.Bytes.end());
    }
    EXPECT_TRUE(all == Audio(0, TrackSectors, Tone));
}

TEST_F(SimulatedDriveRead, PlainReadsFailAtAFlakySectorOnceAndAskedAgainGoOnExactly) {
    // Plain reads do not retry: the caller hears of the failure at the chunk of
    // the flaky sector, and the reading stays there, so asking again reads that
    // chunk, now good, and the rest of the track follows exactly.
    Load("flaky=140", 0);
    ASSERT_EQ(OpenTrack(), DR_OK) << LastError();
    std::vector<std::uint8_t> all;
    std::vector<std::string> failures;
    for (Chunk chunk = Next(); !chunk.Bytes.empty() || chunk.Code != DR_OK; chunk = Next()) {
        if (chunk.Code != DR_OK) {
            failures.push_back(std::to_string(all.size() / SectorBytes) + ": " + chunk.Why);
            ASSERT_LT(failures.size(), 2u);
        }
        all.insert(all.end(), chunk.Bytes.begin(), chunk.Bytes.end());
    }
    EXPECT_EQ(failures, std::vector<std::string>{"75: sector 140 cannot be read"});
    EXPECT_TRUE(all == Audio(0, TrackSectors));
}

TEST_F(SimulatedDriveRead, AValueThatIsNotRightIsRefusedWhenTheReadingOpens) {
    // The table and the drive stay usable; only the reading is refused, with
    // the variable and the part that is wrong named.
    struct Case {
        const char* Simulation;
        const char* Why;
    };
    for (const Case& wrong : {
             Case{"speed=fast", "DISCREAD_SIMULATE: speed \"fast\" is not a positive number of "
                                "times real time, such as 24 or 1.5"},
             Case{"speed=24,seek=80", "DISCREAD_SIMULATE: seek \"80\" is not a duration of at "
                                      "most an hour in ms or s, such as 80ms or 0.08s"},
             Case{"bad=21010-21000", "DISCREAD_SIMULATE: bad \"21010-21000\" is not a sector or "
                                     "a range FIRST-LAST of sectors with FIRST at most LAST"},
             Case{"speed=24,sped=4", "DISCREAD_SIMULATE: unknown setting \"sped=4\" (the settings "
                                     "are speed, seek, model, lead, bad, flaky, garble)"},
         }) {
        SCOPED_TRACE(wrong.Simulation);
        Load(wrong.Simulation, 2);
        EXPECT_EQ(OpenTrack(), DR_ERR_NO_DRIVE);
        EXPECT_EQ(LastError(), wrong.Why);
        std::int32_t bytes = -1;
        std::int32_t abort = 0;
        std::vector<std::uint8_t> buffer(SectorBytes);
        EXPECT_EQ(DR_RipChunk(buffer.data(), &bytes, &abort), DR_ERR_NOT_OPEN);
        EXPECT_EQ(DR_GetNumTocEntries(), 1);
        DR_DeInit();
    }
}

} // namespace
} // namespace kestrune::test
