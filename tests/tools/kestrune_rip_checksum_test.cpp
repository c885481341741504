// The checksums kestrune-rip says of each track are those of the disc's own
// audio, computed here apart from the program (tests/tools/checksum_reference.py):
// before de-emphasis, with AccurateRip's rules for the disc's first and last
// audio tracks, whichever way the tracks are ripped.

#include "tests/support/disc_images.h"
#include "tests/tools/checksum_reference.h"
#include "tests/tools/rip_process.h"
#include "tools/mkdisc/image_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace kestrune::test {
namespace {

using Range = ChecksumRange;

// What the rip said of track Number, in the reference's form.
std::string Said(const std::string& Err, int Number) {
    char track[16];
    std::snprintf(track, sizeof track, "Track %02d", Number);
    const std::regex line(std::string(track) +
                          " written to [^\\n]*\\n  CRC32 ([0-9A-F]{8}), without silence "
                          "([0-9A-F]{8}); AccurateRip v1 ([0-9A-F]{8}), v2 ([0-9A-F]{8}); "
                          "CTDB ([0-9A-F]{8})\\n");
    std::smatch found;
    if (!std::regex_search(Err, found, line)) {
        return "(not said)";
    }
    return found.str(1) + " " + found.str(2) + " " + found.str(3) + " " + found.str(4) + " " +
           found.str(5);
}

class RipChecksums : public ::testing::Test {
protected:
    RipChecksums() { ::setenv("XDG_CONFIG_HOME", (images.Folder() / "config").c_str(), 1); }
    std::string Path(const std::string& Name) const { return (images.Folder() / Name).string(); }
    std::filesystem::path Logs() const { return images.Folder() / "logs"; }
    DiscImages images;
};

TEST_F(RipChecksums, EachTrackHasTheChecksumsOfTheDiscsOwnAudio) {
    // Pre-emphasis on track 2 (the file is de-emphasised, the checksums are
    // not); its stored pregap puts silence at the end of track 1's range; the
    // data track after track 3 makes track 3 the last audio track.
    auto spec = DiscImages::Spec({"audio:2:noise=1@-10", "audio:1:sine=440@-12,pre,pregap=0.5",
                                  "audio:2:melody=3@-10", "data:1"});
    const std::string sheet = images.Make("disc", spec);
    const auto range = [&](std::size_t Index, const char* Ends) {
        const std::int64_t start = mkdisc::TrackStart(spec, Index);
        return Range{start, mkdisc::TrackStart(spec, Index + 1) - start, Ends};
    };
    const auto expected =
        ComputedApart(Path("disc.bin"), {range(0, "first"), range(1, "-"), range(2, "last")});
    ASSERT_EQ(expected.size(), 3u) << "the reference ran";

    RipProcess all({"--disc", sheet, "--all", "-o", Path("a%n.mp3")}, Logs());
    ASSERT_EQ(all.Wait(), 0) << all.Err();
    for (int track = 1; track <= 3; ++track) {
        EXPECT_EQ(Said(all.Err(), track), expected[static_cast<std::size_t>(track - 1)])
            << "track " << track << "\n"
            << all.Err();
    }
    // The whole disc's CUETools database CRC32, joined from the tracks', is
    // that of the audio from track 1's start to track 3's end, its ends left out.
    const Range whole{0, mkdisc::TrackStart(spec, 3), "only"};
    const std::string disc = ComputedApart(Path("disc.bin"), {whole}).at(0).substr(36, 8);
    EXPECT_NE(all.Err().find("Disc CTDB CRC32 " + disc + ": not verified: offline\n"),
              std::string::npos)
        << all.Err();
    // One track at a time knows its place on the disc too.
    for (const int track : {1, 3}) {
        RipProcess one({"--disc", sheet, "--track", std::to_string(track), "-o", Path("one.mp3")},
                       Logs());
        ASSERT_EQ(one.Wait(), 0) << one.Err();
        EXPECT_EQ(Said(one.Err(), track), expected[static_cast<std::size_t>(track - 1)])
            << "track " << track << " alone";
    }
}

TEST_F(RipChecksums, TheOnlyTrackLeavesOutBothEnds) {
    auto spec = DiscImages::Spec({"audio:1:noise=5@-10"});
    const std::string sheet = images.Make("only", spec);
    const auto expected = ComputedApart(Path("only.bin"), {{0, 75, "only"}, {0, 75, "-"}});
    ASSERT_EQ(expected.size(), 2u) << "the reference ran";
    ASSERT_NE(expected[0], expected[1]) << "the ends make a difference";
    RipProcess rip({"--disc", sheet, "-o", Path("only.mp3")}, Logs());
    ASSERT_EQ(rip.Wait(), 0) << rip.Err();
    EXPECT_EQ(Said(rip.Err(), 1), expected[0]) << rip.Err();
}

} // namespace
} // namespace kestrune::test
