// Images read through libcdio-paranoia, the verified path real drives take,
// give the same bytes as direct reads.

#include "tests/discread/image_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace kestrune::test {
namespace {

class ParanoiaPath : public ImageTest {
protected:
    void TearDown() override {
        ::unsetenv("DISCREAD_PARANOIA");
        ImageTest::TearDown();
    }
    // Every track's bytes, read with the settings file Settings (none when empty).
    std::vector<std::vector<std::uint8_t>> Tracks(const std::string& Sheet,
                                                  const std::string& Settings = {}) {
        UseDrives({Sheet});
        DR_Init(Settings.empty() ? nullptr : Settings.c_str());
        EXPECT_EQ(DR_ReadToc(), DR_OK) << LastError();
        std::vector<std::vector<std::uint8_t>> tracks;
        for (std::int32_t i = 0; i < DR_GetNumTocEntries(); ++i) {
            std::int32_t error = -1;
            std::string why;
            tracks.push_back(
                Rip(DR_GetTocEntry(i).StartSector, DR_GetTocEntry(i + 1).StartSector, error, &why));
            EXPECT_EQ(error, DR_OK) << why;
        }
        DR_DeInit();
        return tracks;
    }
};

TEST_F(ParanoiaPath, VerifiedReadsOfAnImageEqualTheDirectReads) {
    auto disc = DiscImages::Spec({"audio:200f:noise=1", "audio:100f:sine=997,pre,pregap=20f",
                                  "audio:150f:noise=2,gap=10f", "audio:90f:noise=3"});
    disc.FilePerTrack = true;
    disc.FirstTrack = 5;
    const auto sheet = images.Make("verified", disc);
    const auto direct = Tracks(sheet);
    ASSERT_EQ(direct.size(), 4u);
    for (std::size_t i = 0; i < direct.size(); ++i) {
        EXPECT_TRUE(direct[i] == mkdisc::TrackBytes(disc, i)) << i;
    }

    ::setenv("DISCREAD_PARANOIA", "1", 1);
    const auto verified = Tracks(sheet);
    ASSERT_EQ(verified.size(), direct.size());
    for (std::size_t i = 0; i < direct.size(); ++i) {
        EXPECT_TRUE(verified[i] == direct[i]) << "track " << i + 1 << " through paranoia";
    }
    ::unsetenv("DISCREAD_PARANOIA");

    // The settings file asks for it the same way, in either verification mode.
    for (const char* mode : {"1", "2"}) {
        const auto settings = (images.Folder() / "discread.ini").string();
        std::ofstream(settings) << "[CD-ROM]\nnParanoiaImages=1\nnParanoiaMode=" << mode << "\n";
        EXPECT_TRUE(Tracks(sheet, settings) == direct) << "mode " << mode;
    }
}

TEST_F(ParanoiaPath, ATrackAfterPregapSilenceReadsAsDirectly) {
    // Paranoia seeks with a read into no buffer; landing in silence the layout
    // makes up (a PREGAP) must not write there.
    const auto disc = DiscImages::Spec({"audio:2", "audio:2,gap=2", "audio:2"});
    const auto sheet = images.Make("pregap", disc);
    ::setenv("DISCREAD_PARANOIA", "1", 1);
    UseDrives({sheet});
    DR_Init(nullptr);
    ASSERT_EQ(DR_ReadToc(), DR_OK) << LastError();
    for (std::int32_t i = 0; i < DR_GetNumTocEntries(); ++i) {
        std::int32_t error = -1;
        std::string why;
        const auto bytes =
            Rip(DR_GetTocEntry(i).StartSector, DR_GetTocEntry(i + 1).StartSector, error, &why);
        EXPECT_EQ(error, DR_OK) << why;
        EXPECT_TRUE(bytes == mkdisc::TrackBytes(disc, static_cast<std::size_t>(i)))
            << "track " << i + 1;
    }
}

TEST_F(ParanoiaPath, ASectorTheImageDoesNotHoldFailsThereToo) {
    // 150 sectors listed, 100 held.
    const auto sheet = images.Make("cut", {"audio:150f:noise=4"}, 50);
    ::setenv("DISCREAD_PARANOIA", "1", 1);
    UseDrives({sheet});
    DR_Init(nullptr);
    ASSERT_EQ(DR_ReadToc(), DR_OK);
    std::int32_t error = DR_OK;
    std::string why;
    const auto read = Rip(0, 150, error, &why);
    EXPECT_EQ(error, DR_ERR_READ);
    // What came before the failure is the image's own audio, never silence in its place.
    const auto whole = mkdisc::TrackBytes(DiscImages::Spec({"audio:150f:noise=4"}), 0);
    ASSERT_LE(read.size(), 100u * 2352);
    EXPECT_TRUE(std::equal(read.begin(), read.end(), whole.begin()));
    EXPECT_FALSE(why.empty());
}

} // namespace
} // namespace kestrune::test
