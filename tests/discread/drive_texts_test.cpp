#include "drive_texts.h"

#include "tests/support/disc_images.h"

#include <gtest/gtest.h>

#include <cdio/device.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace discread {
namespace {

struct DestroyCdIo {
    void operator()(CdIo_t* Handle) const { cdio_destroy(Handle); }
};

// A drive cannot be had in a test; libcdio's own cue-sheet driver answers the
// same calls a drive's does, CD-Text included.
std::unique_ptr<CdIo_t, DestroyCdIo> OpenWithLibcdio(const std::string& Cue) {
    return std::unique_ptr<CdIo_t, DestroyCdIo>(cdio_open_cue(Cue.c_str()));
}

class DriveTextsTest : public ::testing::Test {
protected:
    std::string WriteDisc(const std::string& Sheet, int Sectors) {
        std::ofstream(images.Folder() / "d.bin", std::ios::binary)
            << std::string(static_cast<std::size_t>(Sectors) * 2352, '\0');
        const auto cue = images.Folder() / "d.cue";
        std::ofstream(cue) << Sheet;
        return cue.string();
    }

    // Only for its folder, removed afterwards.
    kestrune::test::DiscImages images;
};

TEST_F(DriveTextsTest, DiscAndTrackTextsLandInTheirFieldsByTrackNumber) {
    // The disc's texts are CD-Text's track 0; a disc that starts at track 3
    // must still give its first track the texts of track 3. CD-Text holds
    // Latin-1 (as the sheet here does); what comes out is UTF-8.
    const auto cue = WriteDisc("PERFORMER \"Disc Artist\"\n"
                               "TITLE \"Disc Title\"\n"
                               "FILE \"d.bin\" BINARY\n"
                               "  TRACK 03 AUDIO\n"
                               "    TITLE \"Caf\xE9\"\n"
                               "    PERFORMER \"One\"\n"
                               "    SONGWRITER \"Writer\"\n"
                               "    INDEX 01 00:00:00\n"
                               "  TRACK 04 AUDIO\n"
                               "    TITLE \"\xC0 l'est\"\n"
                               "    INDEX 01 00:01:00\n",
                               150);
    const auto handle = OpenWithLibcdio(cue);
    ASSERT_TRUE(handle) << "libcdio opens the sheet";
    const DiscTexts texts = DriveTexts(handle.get());
    EXPECT_EQ(texts.Disc[1], "Disc Title");
    EXPECT_EQ(texts.Disc[2], "Disc Artist");
    ASSERT_EQ(texts.Tracks.size(), 2U);
    EXPECT_EQ(texts.Tracks[0][1], "Café");
    EXPECT_EQ(texts.Tracks[0][2], "One");
    EXPECT_EQ(texts.Tracks[0][3], "Writer");
    EXPECT_EQ(texts.Tracks[1][1], "À l'est");
    EXPECT_EQ(texts.Tracks[1][2], "");
}

TEST_F(DriveTextsTest, ADiscWithoutCdTextGivesEmptyTextsForEveryTrack) {
    const auto cue = WriteDisc("FILE \"d.bin\" BINARY\n"
                               "  TRACK 01 AUDIO\n"
                               "    INDEX 01 00:00:00\n"
                               "  TRACK 02 AUDIO\n"
                               "    INDEX 01 00:01:00\n",
                               150);
    const auto handle = OpenWithLibcdio(cue);
    ASSERT_TRUE(handle);
    const DiscTexts texts = DriveTexts(handle.get());
    ASSERT_EQ(texts.Tracks.size(), 2U);
    for (const auto& fields : texts.Tracks) {
        for (const auto& field : fields) {
            EXPECT_EQ(field, "");
        }
    }
    EXPECT_EQ(texts.Disc[1], "");
}

} // namespace
} // namespace discread
