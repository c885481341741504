// kestrune-rip --all from a drive (a disc image the library lists as one): the
// disc is read once, in track order, and the tracks are encoded at once.

#include "tests/support/disc_images.h"
#include "tests/support/mp3_file.h"
#include "tests/tools/rip_process.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace kestrune::test {
namespace {

std::string Bytes(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The bytes after an ID3v2 tag at the head (its size is synch-safe: seven
// bits a byte).
std::string AfterId3v2(const std::string& File) {
    if (File.size() < 10 || File.compare(0, 3, "ID3") != 0) {
        return File;
    }
    std::size_t size = 10;
    for (int i = 6; i < 10; ++i) {
        size +=
            static_cast<std::size_t>(static_cast<unsigned char>(File[static_cast<std::size_t>(i)]))
            << (7 * (9 - i));
    }
    return File.substr(std::min(size, File.size()));
}

class RipFromDrive : public ::testing::Test {
protected:
    RipFromDrive() { ::setenv("XDG_CONFIG_HOME", (images.Folder() / "config").c_str(), 1); }
    ~RipFromDrive() override { ::unsetenv("DISCREAD_DRIVES"); }
    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::filesystem::path Logs() const { return images.Folder() / "logs"; }
    DiscImages images;
};

TEST_F(RipFromDrive, EachFileIsTheOneItsOwnRipWouldWrite) {
    // A pre-emphasised track, a data track to skip, tracks of unequal length.
    UseDrives({images.Make("disc", {"audio:3:melody=3@-10", "audio:2:sine=440@-12,pre", "data:1",
                                    "audio:4:noise=2@-20"})});
    RipProcess all({"--all", "-o", Path("all-%n.mp3")}, Logs());
    ASSERT_EQ(all.Wait(), 0) << all.Err();
    EXPECT_FALSE(std::filesystem::exists(Path("all-03.mp3")));
    const struct {
        const char* number;
        std::size_t seconds;
    } tracks[] = {{"1", 3}, {"2", 2}, {"4", 4}};
    for (const auto& track : tracks) {
        SCOPED_TRACE(track.number);
        const std::string file = Path(std::string("all-0") + track.number + ".mp3");
        EXPECT_NE(all.Err().find(std::string("Track 0") + track.number + " written to " + file),
                  std::string::npos)
            << all.Err();
        // The same samples, the same de-emphasis, the same tag: the same bytes.
        const std::string alone = Path(std::string("alone-") + track.number + ".mp3");
        RipProcess one({"--track", track.number, "-o", alone, "--quiet"}, Logs());
        ASSERT_EQ(one.Wait(), 0) << one.Err();
        EXPECT_EQ(DecodeMp3(file).Frames(), track.seconds * 44100);
        // The whole disc's files also carry the album's gain in their ID3v2
        // tag; what follows the tag is the same.
        EXPECT_TRUE(AfterId3v2(Bytes(file)) == AfterId3v2(Bytes(alone)))
            << "differs from its own rip";
    }
    EXPECT_EQ(PartialSize(images.Folder()), 0u);
}

TEST_F(RipFromDrive, QuietRunsOfEveryTrackSayNothingOnADriveOrAnImage) {
    // --quiet leaves out progress and the written tracks, from a drive and from
    // an image alike.
    const auto cue = images.Make("q", {"audio:1", "audio:1", "audio:1"});
    UseDrives({cue});
    RipProcess drive({"--all", "--quiet", "-o", Path("d%n.mp3")}, Logs());
    EXPECT_EQ(drive.Wait(), 0);
    EXPECT_EQ(drive.Err(), "");
    RipProcess image({"--disc", cue, "--all", "--quiet", "-o", Path("i%n.mp3")}, Logs());
    EXPECT_EQ(image.Wait(), 0);
    EXPECT_EQ(image.Err(), "");
    for (const char* name : {"d01.mp3", "d03.mp3", "i01.mp3", "i03.mp3"}) {
        EXPECT_EQ(DecodeMp3(Path(name)).Frames(), 44100u) << name;
    }
}

TEST_F(RipFromDrive, ATrackThatCannotBeReadFailsAloneAndTheReadingGoesOn) {
    // A file per track; the second one loses its end while the first track is
    // read, as a disc with a scratch loses sectors: the table promised more.
    auto disc = DiscImages::Spec({"audio:30:noise=1@-20", "audio:3:noise=2@-20", "audio:2"});
    disc.FilePerTrack = true;
    UseDrives({images.Make("files", disc)});
    // The gate is there before the rip starts (the rip looks for it once): a
    // rip let run free could read track 2 whole before it is cut.
    auto gate = std::make_unique<ReadGate>(images.Folder() / "gate");
    RipProcess rip({"--all", "-o", Path("t%n.mp3")}, Logs());
    ASSERT_TRUE(gate->ChunkByChunkUntil([&] { return PartsWithData(images.Folder()) >= 1; }))
        << "the rip never got going";
    std::filesystem::resize_file(images.Folder() / "files-02.bin", 75 * 2352);
    gate.reset();
    EXPECT_EQ(rip.Wait(), 1) << rip.Err();
    EXPECT_EQ(DecodeMp3(Path("t01.mp3")).Frames(), 30u * 44100);
    EXPECT_FALSE(std::filesystem::exists(Path("t02.mp3")));
    EXPECT_NE(rip.Err().find("kestrune-rip: track 02: The disc could not be read at sector "),
              std::string::npos)
        << rip.Err();
    // The track after it is read from its own start.
    EXPECT_EQ(DecodeMp3(Path("t03.mp3")).Frames(), 2u * 44100);
    EXPECT_EQ(PartialSize(images.Folder()), 0u);
}

TEST_F(RipFromDrive, CtrlCStopsTheReadingAndEveryTrackUnderWay) {
    // Long tracks, so that a held reader is far from any track's end.
    UseDrives({images.Make("long", {"audio:60:noise=1@-20", "audio:60:noise=2@-20",
                                    "audio:60:noise=3@-20", "audio:60:noise=4@-20"})});
    const ReadGate gate(images.Folder() / "gate");
    RipProcess rip({"--all", "-o", Path("s%n.mp3")}, Logs());
    ASSERT_TRUE(gate.ChunkByChunkUntil([&] { return PartsWithData(images.Folder()) >= 1; }))
        << "the rip never got going";
    rip.Signal(SIGINT);
    ASSERT_TRUE(gate.ChunkByChunkUntil([&] { return Ended(rip.Pid()); }));
    EXPECT_EQ(rip.Wait(), 128 + SIGINT) << rip.Err();
    // The first track was under way: a shorter file of what was read.
    const auto first = DecodeMp3(Path("s01.mp3"));
    EXPECT_GT(first.Frames(), 0u);
    EXPECT_LT(first.Frames(), 60u * 44100);
    EXPECT_NE(rip.Err().find("Track 01 stopped"), std::string::npos) << rip.Err();
    // The reading never reached the last track: it was never begun.
    EXPECT_NE(rip.Err().find("Track 04 not ripped: stopped before it began"), std::string::npos)
        << rip.Err();
    EXPECT_FALSE(std::filesystem::exists(Path("s04.mp3")));
    EXPECT_EQ(PartialSize(images.Folder()), 0u);
}

} // namespace
} // namespace kestrune::test
